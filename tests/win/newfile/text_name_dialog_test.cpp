// The text name dialog of Quillory.exe, driven by messages from this process.
#include <gtest/gtest.h>

#include <algorithm>

#include "win/support/win_test_support.h"
#include "win/newfile/name_dialog_driver.h"

namespace {

using namespace qlry::wintest;

struct TextNameDialog : ::testing::Test {
    std::wstring folder;

    void SetUp() override {
        folder = MakeTempFolder(std::wstring(L"textdlg-") + NameOfTest());
        ClearSettings();
        ASSERT_TRUE(PutClipboardText(L"first line\nsecond line"));
    }
    static std::wstring NameOfTest() {
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name, name + std::char_traits<char>::length(name));
    }
    std::wstring Path(const std::wstring& name) { return folder + L"\\" + name; }
};

TEST_F(TextNameDialog, FirstUseProposesTheTimeSelectedAndFocusedWithTxt) {
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr) << "no name dialog appeared";
    SYSTEMTIME after{};
    ::GetLocalTime(&after);

    const std::wstring name = session.Text(kFileNameId);
    SYSTEMTIME proposed{};
    ASSERT_TRUE(ParseTimestampName(name, proposed)) << "proposed name: " << name.c_str();
    EXPECT_GE(SecondsOf(proposed), SecondsOf(before) - 1);
    EXPECT_LE(SecondsOf(proposed), SecondsOf(after));

    EXPECT_EQ(session.FocusedWindow(), ::GetDlgItem(session.Dialog(), kFileNameId));
    EXPECT_EQ(session.NameSelection(), std::make_pair(0, static_cast<int>(name.size())));
    EXPECT_EQ(session.Text(kExtensionId), L".txt");
    EXPECT_EQ(session.SelectedEntry(), 0);
    EXPECT_EQ(session.ListEntries(),
              (std::vector<std::wstring>{L".txt", L".log", L".htm", L".html", L".xml", L".cpp", L".c", L".h"}));
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(TextNameDialog, OkWritesTheClipboardTextToTheNewFile) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    // Typing replaces the proposed name, which is selected.
    session.TypeName(L"notes");
    EXPECT_EQ(session.Text(kFileNameId), L"notes");
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_EQ(ReadFileBytes(Path(L"notes.txt")), "first line\r\nsecond line");
    std::wstring remembered;
    ASSERT_TRUE(ReadTextExtension(remembered));
    EXPECT_EQ(remembered, L".txt");
}

TEST_F(TextNameDialog, TheProposedNameItselfIsUsable) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    const std::wstring proposed = session.Text(kFileNameId);
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{proposed + L".txt"});
}

TEST_F(TextNameDialog, APickedEntryIsUsedAndRemembered) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"page");
    session.PickEntry(3);
    EXPECT_EQ(session.Text(kExtensionId), L".html");
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_TRUE(FileExists(Path(L"page.html")));
    std::wstring remembered;
    ASSERT_TRUE(ReadTextExtension(remembered));
    EXPECT_EQ(remembered, L".html");
}

TEST_F(TextNameDialog, ATypedExtensionIsRememberedAndOfferedNextTime) {
    {
        NameDialogSession session(folder);
        ASSERT_NE(session.Dialog(), nullptr);
        session.TypeName(L"readme");
        session.SetExtensionText(L" .md ");
        session.PressOk();
        ASSERT_TRUE(session.WaitForExit());
    }
    EXPECT_EQ(ReadFileBytes(Path(L"readme.md")), "first line\r\nsecond line");
    std::wstring remembered;
    ASSERT_TRUE(ReadTextExtension(remembered));
    EXPECT_EQ(remembered, L".md");

    NameDialogSession next(folder);
    ASSERT_NE(next.Dialog(), nullptr);
    EXPECT_EQ(next.Text(kExtensionId), L".md");
    EXPECT_EQ(next.SelectedEntry(), CB_ERR);
    next.PressCancel();
    EXPECT_TRUE(next.WaitForExit());
}

TEST_F(TextNameDialog, ARememberedShortEntryIsNotTakenForALongerOne) {
    WriteTextExtension(L".c");
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    EXPECT_EQ(session.Text(kExtensionId), L".c");
    EXPECT_EQ(session.SelectedEntry(), 6);
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(TextNameDialog, AnExistingNameShowsTheMessageAndKeepsTheDialogOpen) {
    WriteFileBytes(Path(L"taken.txt"), "old");
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"taken");
    session.PressOk();

    HWND box = session.FindMessageBox();
    ASSERT_NE(box, nullptr) << "no message box appeared";
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.caption, L"Quillory");
    EXPECT_EQ(content.text, L"The file name already exists: taken.txt.\nPlease enter a new file name.");
    EXPECT_EQ(content.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(content.hasIcon);
    EXPECT_FALSE(::IsWindowEnabled(session.Dialog())) << "the message box must be modal to the dialog";
    session.AnswerMessageBox(box);

    EXPECT_TRUE(session.StillRunning());
    EXPECT_TRUE(::IsWindowVisible(session.Dialog()));
    EXPECT_EQ(ReadFileBytes(Path(L"taken.txt")), "old");
    std::wstring remembered;
    EXPECT_FALSE(ReadTextExtension(remembered));

    // The name is selected again: typing replaces it.
    session.TypeName(L"fresh");
    EXPECT_EQ(session.Text(kFileNameId), L"fresh");
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_EQ(ReadFileBytes(Path(L"fresh.txt")), "first line\r\nsecond line");
    EXPECT_EQ(ReadFileBytes(Path(L"taken.txt")), "old");
}

TEST_F(TextNameDialog, AFolderOfTheNameCountsAsExisting) {
    ASSERT_TRUE(::CreateDirectoryW(Path(L"box.txt").c_str(), nullptr));
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"box");
    session.PressOk();
    HWND box = session.FindMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadMessageBox(box).text, L"The file name already exists: box.txt.\nPlease enter a new file name.");
    session.AnswerMessageBox(box);
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(TextNameDialog, AReservedDeviceNameIsRefused) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"nul");
    session.PressOk();
    HWND box = session.FindMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadMessageBox(box).text,
              L"The file name is reserved by Windows for a device: nul.txt.\nPlease enter a new file name.");
    session.AnswerMessageBox(box);
    EXPECT_TRUE(session.StillRunning());
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(TextNameDialog, CleanedNamesAndExtensionsWithoutADot) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"  a/b:c ");
    session.SetExtensionText(L"md");
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"a b cmd"});
}

TEST_F(TextNameDialog, CancelWritesAndRemembersNothing) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"unwanted");
    session.SetExtensionText(L".log");
    session.PressCancel();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_TRUE(FolderEntries(folder).empty());
    std::wstring remembered;
    EXPECT_FALSE(ReadTextExtension(remembered));
}

}  // namespace
