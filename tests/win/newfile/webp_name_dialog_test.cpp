// The image name dialog's last entry, ".webp", behind the first 21: it
// writes the clipboard bitmap as WebP and is remembered by its place.
#include <gtest/gtest.h>

#include "ximage/ximage_extensions.h"
#include "win/support/win_test_support.h"
#include "win/newfile/name_dialog_driver.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

TEST(WebpNameDialog, TheLastEntryWritesAWebpFileAndIsOfferedNextTime) {
    const std::wstring folder = MakeTempFolder(L"imagedlg-webp");
    ClearSettings();
    ASSERT_TRUE(PutClipboardBitmap(19, 17, RGB(200, 40, 10)));
    {
        NameDialogSession session(folder);
        ASSERT_NE(session.Dialog(), nullptr);
        EXPECT_EQ(session.ListEntries().size(), 22u);
        session.PickEntry(21);
        EXPECT_EQ(session.Text(kExtensionId), L".webp");
        session.TypeName(L"shot");
        session.PressOk();
        ASSERT_TRUE(session.WaitForExit());
    }
    DWORD remembered = 0;
    ASSERT_TRUE(ReadImageExtension(remembered));
    EXPECT_EQ(remembered, 21u);

    const std::wstring path = folder + L"\\shot.webp";
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 12u) << "the image paste wrote no WebP file";
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WEBP");
    CxImage written;
    ASSERT_TRUE(written.Load(path, CXIMAGE_FORMAT_WEBP)) << written.GetLastError();
    ASSERT_EQ(written.GetWidth(), 19u);
    ASSERT_EQ(written.GetHeight(), 17u);
    const CxRgbQuad c = written.GetPixelColor(9, 8, false);  // lossy: close to the colour
    EXPECT_NEAR(c.rgbRed, 200, 6);
    EXPECT_NEAR(c.rgbGreen, 40, 6);
    EXPECT_NEAR(c.rgbBlue, 10, 6);

    NameDialogSession next(folder);
    ASSERT_NE(next.Dialog(), nullptr);
    EXPECT_EQ(next.SelectedEntry(), 21);
    EXPECT_EQ(next.Text(kExtensionId), L".webp");
    next.PressCancel();
    EXPECT_TRUE(next.WaitForExit());
}

}  // namespace
