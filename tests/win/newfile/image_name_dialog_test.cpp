// The image name dialog of Quillory.exe, driven by messages from this process.
#include <gtest/gtest.h>

#include "ximage/ximage_extensions.h"
#include "win/support/win_test_support.h"
#include "win/newfile/name_dialog_driver.h"

namespace {

using namespace qlry::wintest;

struct ImageNameDialog : ::testing::Test {
    std::wstring folder;

    void SetUp() override {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = MakeTempFolder(L"imagedlg-" + std::wstring(test, test + std::char_traits<char>::length(test)));
        ClearSettings();
        ASSERT_TRUE(PutClipboardBitmap(6, 4, RGB(200, 40, 10)));
    }
    std::wstring Path(const std::wstring& name) { return folder + L"\\" + name; }
};

TEST_F(ImageNameDialog, FirstUseProposesTheTimeAndSelectsBmp) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr) << "no name dialog appeared";
    const std::wstring name = session.Text(kFileNameId);
    SYSTEMTIME proposed{};
    EXPECT_TRUE(ParseTimestampName(name, proposed)) << "proposed name: " << name.c_str();
    EXPECT_EQ(session.FocusedWindow(), ::GetDlgItem(session.Dialog(), kFileNameId));
    EXPECT_EQ(session.NameSelection(), std::make_pair(0, static_cast<int>(name.size())));
    EXPECT_EQ(session.SelectedEntry(), 0);
    EXPECT_EQ(session.Text(kExtensionId), L".bmp");
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(ImageNameDialog, TheListHoldsTheImageExtensionsInOrder) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    const std::vector<std::wstring> expected(kImageExtensions.begin(), kImageExtensions.end());
    EXPECT_EQ(session.ListEntries(), expected);
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(ImageNameDialog, OkWritesTheClipboardBitmapAsBmp) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"shot");
    session.PressOk();
    ASSERT_TRUE(session.WaitForExit());
    DWORD remembered = 99;
    ASSERT_TRUE(ReadImageExtension(remembered));
    EXPECT_EQ(remembered, 0u);
    const std::string bytes = ReadFileBytes(Path(L"shot.bmp"));
    ASSERT_GE(bytes.size(), 54u) << "the image paste wrote no bitmap file";
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    // Width and height of the clipboard's bitmap, in the info header.
    EXPECT_EQ(static_cast<unsigned char>(bytes[18]), 6);
    EXPECT_EQ(static_cast<unsigned char>(bytes[22]), 4);
}

TEST_F(ImageNameDialog, ThePickedEntryIsRememberedAndOfferedNextTime) {
    WriteImageExtension(3);
    {
        NameDialogSession session(folder);
        ASSERT_NE(session.Dialog(), nullptr);
        EXPECT_EQ(session.SelectedEntry(), 3);
        EXPECT_EQ(session.Text(kExtensionId), L".png");
        session.PickEntry(18);
        EXPECT_EQ(session.Text(kExtensionId), L".tif");
        session.TypeName(L"scan");
        session.PressOk();
        ASSERT_TRUE(session.WaitForExit());
    }
    // Remembered when the dialog closed, whatever the paste then did.
    DWORD remembered = 0;
    ASSERT_TRUE(ReadImageExtension(remembered));
    EXPECT_EQ(remembered, 18u);

    NameDialogSession next(folder);
    ASSERT_NE(next.Dialog(), nullptr);
    EXPECT_EQ(next.SelectedEntry(), 18);
    next.PressCancel();
    EXPECT_TRUE(next.WaitForExit());
}

TEST_F(ImageNameDialog, ARememberedIndexNamingNoEntrySelectsBmp) {
    WriteImageExtension(22);
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    EXPECT_EQ(session.SelectedEntry(), 0);
    EXPECT_EQ(session.Text(kExtensionId), L".bmp");
    session.PressCancel();
    EXPECT_TRUE(session.WaitForExit());
}

TEST_F(ImageNameDialog, AnExistingNameShowsTheMessageAndKeepsTheDialogOpen) {
    WriteFileBytes(Path(L"photo.gif"), "GIF89a");
    WriteImageExtension(2);
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.TypeName(L"photo");
    session.PressOk();
    HWND box = session.FindMessageBox();
    ASSERT_NE(box, nullptr) << "no message box appeared";
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.caption, L"Quillory");
    EXPECT_EQ(content.text, L"The file name already exists: photo.gif.\nPlease enter a new file name.");
    EXPECT_EQ(content.buttons, std::vector<std::wstring>{L"OK"});
    session.AnswerMessageBox(box);
    EXPECT_TRUE(session.StillRunning());
    EXPECT_EQ(ReadFileBytes(Path(L"photo.gif")), "GIF89a");
    session.PressCancel();
    ASSERT_TRUE(session.WaitForExit());
    DWORD remembered = 0;
    ASSERT_TRUE(ReadImageExtension(remembered));
    EXPECT_EQ(remembered, 2u);  // as it was
}

TEST_F(ImageNameDialog, CancelWritesAndRemembersNothing) {
    NameDialogSession session(folder);
    ASSERT_NE(session.Dialog(), nullptr);
    session.PickEntry(1);
    session.TypeName(L"unwanted");
    session.PressCancel();
    ASSERT_TRUE(session.WaitForExit());
    EXPECT_TRUE(FolderEntries(folder).empty());
    DWORD remembered = 0;
    EXPECT_FALSE(ReadImageExtension(remembered));
}

}  // namespace
