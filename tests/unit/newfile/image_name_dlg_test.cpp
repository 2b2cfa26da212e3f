#include <gtest/gtest.h>

#include "ximage/ximage_extensions.h"
#include "name_dialog_fixture.h"
#include "newfile/image_name_dlg.h"

namespace {

struct ImageNameDlg : qlry::test::NameDialogFixture {
    void Remember(int index) { profile.ints[{L"Settings", L"ImageExtension"}] = index; }
};

TEST_F(ImageNameDlg, FirstUseSelectsBmpAndProposesTheTime) {
    clock.now = {2024, 2, 29, 9, 5, 0};
    CImageNameDlg dialog(folder, services);
    EXPECT_EQ(dialog.m_strFolder, folder);
    EXPECT_EQ(dialog.m_nExtIndex, 0);
    EXPECT_EQ(dialog.m_strExt, L"");
    EXPECT_EQ(dialog.m_strName, L"20240229 090500");
    EXPECT_TRUE(NothingRemembered());
}

TEST_F(ImageNameDlg, TheRememberedEntryIsSelected) {
    Remember(3);
    EXPECT_EQ(CImageNameDlg(folder, services).m_nExtIndex, 3);
    Remember(20);
    EXPECT_EQ(CImageNameDlg(folder, services).m_nExtIndex, 20);
    Remember(21);  // ".webp", added behind the first 21 entries
    EXPECT_EQ(CImageNameDlg(folder, services).m_nExtIndex, 21);
}

TEST_F(ImageNameDlg, ARememberedIndexNamingNoEntrySelectsBmp) {
    for (int index : {22, -1, 1000, -2147483647 - 1}) {
        Remember(index);
        EXPECT_EQ(CImageNameDlg(folder, services).m_nExtIndex, 0) << index;
    }
}

TEST_F(ImageNameDlg, OkTakesTheEntryAndRemembersItsIndex) {
    CImageNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"photo", 3, warning));
    EXPECT_EQ(dialog.m_strExt, L".png");
    EXPECT_EQ(dialog.m_nExtIndex, 3);
    EXPECT_EQ(RememberedImage(), 3);
    EXPECT_EQ(qlry::FormNewFilePath(folder, dialog.Chosen()), L"C:\\work\\photo.png");
}

TEST_F(ImageNameDlg, EveryEntryGivesItsOwnExtension) {
    for (size_t i = 0; i < kImageExtensions.size(); ++i) {
        CImageNameDlg dialog(folder, services);
        ASSERT_TRUE(dialog.OnOK(L"p", static_cast<int>(i), warning));
        EXPECT_EQ(dialog.m_strExt, kImageExtensions[i]);
        EXPECT_EQ(RememberedImage(), static_cast<int>(i));
    }
}

TEST_F(ImageNameDlg, TheLastEntryWritesWebp) {
    CImageNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"photo", 21, warning));
    EXPECT_EQ(dialog.m_strExt, L".webp");
    EXPECT_EQ(qlry::FormNewFilePath(folder, dialog.Chosen()), L"C:\\work\\photo.webp");
    EXPECT_EQ(FormatFromExtension(qlry::FormNewFilePath(folder, dialog.Chosen())), CXIMAGE_FORMAT_WEBP);
}

TEST_F(ImageNameDlg, NoSelectionCountsAsTheFirstEntry) {
    CImageNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"photo", -1, warning));
    EXPECT_EQ(dialog.m_strExt, L".bmp");
    EXPECT_EQ(RememberedImage(), 0);
}

TEST_F(ImageNameDlg, OkCleansTheNameButNotTheExtension) {
    CImageNameDlg dialog(folder, services);
    ASSERT_TRUE(dialog.OnOK(L"\t<shot>*1 ", 18, warning));
    EXPECT_EQ(dialog.m_strName, L" shot  1");
    EXPECT_EQ(dialog.m_strExt, L".tif");
}

TEST_F(ImageNameDlg, AnExistingNameKeepsTheDialogOpenAndStoresNothing) {
    Remember(1);
    files.files[L"C:\\work\\photo.gif"] = "GIF89a";
    CImageNameDlg dialog(folder, services);
    EXPECT_FALSE(dialog.OnOK(L"photo", 2, warning));
    ASSERT_EQ(warning.shown.size(), 1u);
    EXPECT_EQ(warning.shown[0], L"The file name already exists: photo.gif.\nPlease enter a new file name.");
    EXPECT_EQ(RememberedImage(), 1);
    // Another entry makes it a new name.
    EXPECT_TRUE(dialog.OnOK(L"photo", 3, warning));
    EXPECT_EQ(RememberedImage(), 3);
}

TEST_F(ImageNameDlg, ReservedNamesAreRefused) {
    CImageNameDlg dialog(folder, services);
    EXPECT_FALSE(dialog.OnOK(L"AUX", 0, warning));
    EXPECT_EQ(warning.shown.size(), 1u);
    EXPECT_TRUE(NothingRemembered());
}

}  // namespace
