// Quillory.exe with images against the real clipboard.
#include <gtest/gtest.h>

#include "win/support/win_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

constexpr int kWidth = 5;
constexpr int kHeight = 3;

// Distinct colours so that a swapped row, column or channel shows.
COLORREF ColourAt(int x, int y) { return RGB(40 * x + 10, 90 * y + 5, 17 * (x + y) + 3); }

bool PutPatternAsBitmap() {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, kWidth, kHeight);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) ::SetPixel(dc, x, y, ColourAt(x, y));
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    if (!EmptyTheClipboard() || !::OpenClipboard(nullptr)) return false;
    const bool ok = ::SetClipboardData(CF_BITMAP, bitmap) != nullptr;
    ::CloseClipboard();
    return ok;
}

// Checks an image against the pattern; image rows are bottom-up.
void ExpectPattern(CxImage& image) {
    ASSERT_EQ(image.GetWidth(), static_cast<uint32_t>(kWidth));
    ASSERT_EQ(image.GetHeight(), static_cast<uint32_t>(kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const CxRgbQuad c = image.GetPixelColor(x, kHeight - 1 - y);
            const COLORREF want = ColourAt(x, y);
            EXPECT_EQ(c.rgbRed, GetRValue(want)) << x << "," << y;
            EXPECT_EQ(c.rgbGreen, GetGValue(want)) << x << "," << y;
            EXPECT_EQ(c.rgbBlue, GetBValue(want)) << x << "," << y;
        }
    }
}

struct ImageEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"image");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(ImageEndToEnd, CopyPutsTheBitmapOnTheClipboard) {
    CxImage picture;
    ASSERT_NE(picture.Create(kWidth, kHeight, 24), nullptr);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) picture.SetPixelColorRef(x, kHeight - 1 - y, ColourAt(x, y));
    }
    ASSERT_TRUE(picture.Save(Path(L"picture.bmp"), CXIMAGE_FORMAT_BMP));
    ASSERT_TRUE(PutClipboardText(L"before"));

    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"picture.bmp"))), 0);

    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE dib = ::GetClipboardData(CF_DIB);
    CxImage back;
    const bool imported = dib && back.ImportDibHandle(dib);
    const bool hasText = ::IsClipboardFormatAvailable(CF_UNICODETEXT);
    ::CloseClipboard();
    ASSERT_TRUE(imported);
    EXPECT_FALSE(hasText) << "the clipboard was not emptied";
    ExpectPattern(back);
}

TEST_F(ImageEndToEnd, CopyOfAnUnreadableImageLeavesTheClipboard) {
    WriteFileBytes(Path(L"broken.bmp"), "BM this is no bitmap");
    ASSERT_TRUE(PutClipboardText(L"before"));
    RunQuillory(L"-c " + Quoted(Path(L"broken.bmp")));
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"before");
}

TEST_F(ImageEndToEnd, BitmapFromAnotherProgramPastesIntoABmpFile) {
    // Another program's CF_BITMAP reaches us as a 32-bit bitfields CF_DIB.
    ASSERT_TRUE(PutPatternAsBitmap());
    WriteFileBytes(Path(L"x.bmp"), "old");
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.bmp")) + L" /a"), 0);
    CxImage written;
    ASSERT_TRUE(written.Load(Path(L"x.bmp"), CXIMAGE_FORMAT_BMP)) << written.GetLastError();
    ExpectPattern(written);
}

TEST_F(ImageEndToEnd, PasteWritesTheFormatTheExtensionNames) {
    ASSERT_TRUE(PutPatternAsBitmap());
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.png"))), 0);
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.jpg"))), 0);
    EXPECT_EQ(ReadFileBytes(Path(L"x.png")).substr(0, 4), "\x89PNG");
    EXPECT_EQ(ReadFileBytes(Path(L"x.jpg")).substr(0, 3), "\xFF\xD8\xFF");

    CxImage png;
    ASSERT_TRUE(png.Load(Path(L"x.png"), CXIMAGE_FORMAT_UNKNOWN)) << png.GetLastError();
    ExpectPattern(png);  // lossless
    CxImage jpeg;
    ASSERT_TRUE(jpeg.Load(Path(L"x.jpg"), CXIMAGE_FORMAT_UNKNOWN)) << jpeg.GetLastError();
    EXPECT_EQ(jpeg.GetWidth(), static_cast<uint32_t>(kWidth));
    EXPECT_EQ(jpeg.GetHeight(), static_cast<uint32_t>(kHeight));
}

TEST_F(ImageEndToEnd, NameDialogEntriesWithoutATableRowStillWrite) {
    // ".jfi" and ".jpe" write JPEG; ".wbm" goes to the WBMP encoder, which
    // takes only two-colour pictures, so a colour bitmap writes nothing.
    ASSERT_TRUE(PutPatternAsBitmap());
    for (const wchar_t* name : {L"x.jfi", L"x.jpe"}) {
        ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(name))), 0);
        EXPECT_EQ(ReadFileBytes(Path(name)).substr(0, 3), "\xFF\xD8\xFF") << (name[4] == L'i' ? "jfi" : "jpe");
    }
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.wbm"))), 0);
    EXPECT_FALSE(FileExists(Path(L"x.wbm")));
}

TEST_F(ImageEndToEnd, CopyDecodesByContentNotByName) {
    ASSERT_TRUE(PutPatternAsBitmap());
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"real.png"))), 0);
    ASSERT_TRUE(::CopyFileW(Path(L"real.png").c_str(), Path(L"named.jpg").c_str(), FALSE));
    ASSERT_TRUE(PutClipboardText(L"before"));

    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"named.jpg"))), 0);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE dib = ::GetClipboardData(CF_DIB);
    CxImage back;
    const bool imported = dib && back.ImportDibHandle(dib);
    ::CloseClipboard();
    ASSERT_TRUE(imported);
    ExpectPattern(back);
}

TEST_F(ImageEndToEnd, PasteIntoANameWithoutAWritableFormatLeavesTheFile) {
    ASSERT_TRUE(PutPatternAsBitmap());
    WriteFileBytes(Path(L"notes.txt"), "keep");
    WriteFileBytes(Path(L"x.wmf"), "keep");
    RunQuillory(L"-p " + Quoted(Path(L"notes.txt")));
    RunQuillory(L"-p " + Quoted(Path(L"x.wmf")));
    EXPECT_EQ(ReadFileBytes(Path(L"notes.txt")), "keep");
    EXPECT_EQ(ReadFileBytes(Path(L"x.wmf")), "keep");
}

}  // namespace
