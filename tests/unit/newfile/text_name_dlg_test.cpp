#include <gtest/gtest.h>

#include "name_dialog_fixture.h"
#include "newfile/text_extensions.h"
#include "newfile/text_name_dlg.h"

namespace {

struct TextNameDlg : qlry::test::NameDialogFixture {
    void Remember(const std::wstring& ext) { profile.strings[{L"Settings", L"TextExtension"}] = ext; }
    // The extension the opened dialog shows: the selected entry, or the typed text.
    std::wstring Shown(const CTextNameDlg& dialog) {
        const int entry = dialog.InitialExtensionEntry();
        return entry >= 0 ? std::wstring(kTextExtensions[static_cast<size_t>(entry)]) : dialog.m_strExt;
    }
};

TEST_F(TextNameDlg, FirstUseProposesTheTimeAndTxt) {
    clock.now = {2013, 11, 5, 14, 30, 12};
    CTextNameDlg dialog(folder, services);
    EXPECT_EQ(dialog.m_strFolder, folder);
    EXPECT_EQ(dialog.m_strName, L"20131105 143012");
    EXPECT_EQ(dialog.m_strExt, L".txt");
    EXPECT_EQ(dialog.InitialExtensionEntry(), 0);
    EXPECT_TRUE(NothingRemembered());
}

TEST_F(TextNameDlg, ABlankRememberedExtensionFallsBackToTxt) {
    Remember(L" \t ");
    EXPECT_EQ(CTextNameDlg(folder, services).m_strExt, L".txt");
    Remember(L"");
    EXPECT_EQ(CTextNameDlg(folder, services).m_strExt, L".txt");
}

TEST_F(TextNameDlg, TheRememberedExtensionIsTrimmedAndShown) {
    Remember(L"  .log ");
    CTextNameDlg dialog(folder, services);
    EXPECT_EQ(dialog.m_strExt, L".log");
    EXPECT_EQ(Shown(dialog), L".log");
}

TEST_F(TextNameDlg, ShortEntriesAreNotMistakenForLongerOnes) {
    Remember(L".c");
    EXPECT_EQ(Shown(CTextNameDlg(folder, services)), L".c");
    Remember(L".h");
    EXPECT_EQ(Shown(CTextNameDlg(folder, services)), L".h");
    Remember(L".htm");
    EXPECT_EQ(Shown(CTextNameDlg(folder, services)), L".htm");
}

TEST_F(TextNameDlg, EntriesAreMatchedWithoutRegardToCase) {
    Remember(L".HTML");
    EXPECT_EQ(Shown(CTextNameDlg(folder, services)), L".html");
}

TEST_F(TextNameDlg, AnExtensionOffTheListIsShownAsTyped) {
    Remember(L".md");
    CTextNameDlg dialog(folder, services);
    EXPECT_EQ(dialog.InitialExtensionEntry(), -1);
    EXPECT_EQ(Shown(dialog), L".md");
}

TEST_F(TextNameDlg, OkTrimsBeforeReplacing) {
    CTextNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"  a/b:c  ", L" .txt ", warning));
    EXPECT_EQ(dialog.m_strName, L"a b c");
    EXPECT_EQ(dialog.m_strExt, L".txt");
    // A name ending in a replaced character keeps the space it becomes.
    ASSERT_TRUE(dialog.OnOK(L" draft? ", L".txt", warning));
    EXPECT_EQ(dialog.m_strName, L"draft ");
    EXPECT_EQ(qlry::FormNewFilePath(folder, dialog.Chosen()), L"C:\\work\\draft .txt");
}

TEST_F(TextNameDlg, OkCleansTheExtensionToo) {
    CTextNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"page", L" .x|y ", warning));
    EXPECT_EQ(dialog.m_strExt, L".x y");
    EXPECT_EQ(RememberedText(), L".x y");
}

TEST_F(TextNameDlg, ATypedExtensionWithoutADotIsJoinedAsItStands) {
    CTextNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"notes", L"md", warning));
    EXPECT_EQ(qlry::FormNewFilePath(folder, dialog.Chosen()), L"C:\\work\\notesmd");
    EXPECT_EQ(RememberedText(), L"md");
}

TEST_F(TextNameDlg, ATypedExtensionIsRememberedAndOfferedNextTime) {
    CTextNameDlg first(folder, services);
    ASSERT_TRUE(first.OnOK(L"notes", L".md", warning));
    EXPECT_EQ(RememberedText(), L".md");
    CTextNameDlg next(folder, services);
    EXPECT_EQ(next.InitialExtensionEntry(), -1);
    EXPECT_EQ(next.m_strExt, L".md");
}

TEST_F(TextNameDlg, AnEmptyExtensionIsNotRemembered) {
    Remember(L".log");
    CTextNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"README", L"  ", warning));
    EXPECT_EQ(dialog.m_strExt, L"");
    EXPECT_EQ(RememberedText(), L".log");
}

TEST_F(TextNameDlg, AnEmptyNameWithAnExtensionIsAccepted) {
    CTextNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"   ", L".txt", warning));
    EXPECT_EQ(qlry::FormNewFilePath(folder, dialog.Chosen()), L"C:\\work\\.txt");
}

TEST_F(TextNameDlg, AnExistingNameKeepsTheDialogOpenAndStoresNothing) {
    files.files[L"C:\\work\\notes.md"] = "old";
    CTextNameDlg dialog(folder, services);
    EXPECT_FALSE(dialog.OnOK(L"notes", L".md", warning));
    ASSERT_EQ(warning.shown.size(), 1u);
    EXPECT_EQ(warning.shown[0], L"The file name already exists: notes.md.\nPlease enter a new file name.");
    EXPECT_TRUE(NothingRemembered());
    // The user changes the name and presses OK again.
    EXPECT_TRUE(dialog.OnOK(L"notes 2", L".md", warning));
    EXPECT_EQ(RememberedText(), L".md");
    EXPECT_EQ(warning.shown.size(), 1u);
}

TEST_F(TextNameDlg, AFolderOfTheNameCountsAsExisting) {
    files.folders.insert(L"C:\\work\\build");
    CTextNameDlg dialog(folder, services);
    EXPECT_FALSE(dialog.OnOK(L"build", L"", warning));
    EXPECT_EQ(warning.shown.size(), 1u);
}

TEST_F(TextNameDlg, ReservedNamesAreRefusedWithoutStoring) {
    CTextNameDlg dialog(folder, services);
    EXPECT_FALSE(dialog.OnOK(L"con", L".txt", warning));
    EXPECT_FALSE(dialog.OnOK(L"notes", L".", warning));
    EXPECT_EQ(warning.shown.size(), 2u);
    EXPECT_TRUE(NothingRemembered());
}

TEST_F(TextNameDlg, CancelAfterARefusalStoresNothing) {
    Remember(L".log");
    files.files[L"C:\\work\\x.md"] = "";
    {
        CTextNameDlg dialog(folder, services);
        EXPECT_FALSE(dialog.OnOK(L"x", L".md", warning));
    }  // closed with Cancel: no further OK
    EXPECT_EQ(RememberedText(), L".log");
    EXPECT_EQ(profile.strings.size(), 1u);
    EXPECT_TRUE(profile.ints.empty());
}

}  // namespace
