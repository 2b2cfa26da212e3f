// The image name dialog's ".gif" entry writes the clipboard bitmap as GIF.
#include <gtest/gtest.h>

#include <algorithm>

#include "ximage/ximage_extensions.h"
#include "win/support/win_test_support.h"
#include "win/newfile/name_dialog_driver.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

TEST(GifNameDialog, TheGifEntryWritesAGifFileOfTheClipboardBitmap) {
    const std::wstring folder = MakeTempFolder(L"imagedlg-gif");
    ClearSettings();
    ASSERT_TRUE(PutClipboardBitmap(19, 17, RGB(200, 40, 10)));
    const int gifEntry = static_cast<int>(
        std::find_if(kImageExtensions.begin(), kImageExtensions.end(),
                     [](const wchar_t* e) { return std::wstring(e) == L".gif"; }) -
        kImageExtensions.begin());
    {
        NameDialogSession session(folder);
        ASSERT_NE(session.Dialog(), nullptr);
        session.PickEntry(gifEntry);
        EXPECT_EQ(session.Text(kExtensionId), L".gif");
        session.TypeName(L"shot");
        session.PressOk();
        ASSERT_TRUE(session.WaitForExit());
    }
    const std::wstring path = folder + L"\\shot.gif";
    ASSERT_EQ(ReadFileBytes(path).substr(0, 6), "GIF89a");
    CxImage written;
    ASSERT_TRUE(written.Load(path, CXIMAGE_FORMAT_GIF)) << written.GetLastError();
    ASSERT_EQ(written.GetWidth(), 19u);
    ASSERT_EQ(written.GetHeight(), 17u);
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 19; ++x) {
            const CxRgbQuad c = written.GetPixelColor(x, y, false);
            ASSERT_EQ(c.rgbRed, 200);
            ASSERT_EQ(c.rgbGreen, 40);
            ASSERT_EQ(c.rgbBlue, 10);
        }
}

}  // namespace
