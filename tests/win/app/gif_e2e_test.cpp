// Quillory.exe with GIF files against the real clipboard: copying plain,
// interlaced, transparent, animated and tiled files puts their first picture
// on the clipboard; pasting 8-bit and 24-bit bitmaps writes GIF files that
// decode to the same picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ximage_gif/gif_builder.h"
#include "win/support/win_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;
using namespace giftest;

struct GifEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"gif");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    // Writes the file, copies it with Quillory.exe and reads the clipboard's CF_DIB back.
    bool CopyThrough(const Bytes& file, const wchar_t* name, CxImage& clipboard) {
        WriteFileBytes(Path(name), std::string(file.begin(), file.end()));
        if (!PutClipboardText(L"before")) return false;
        if (RunQuillory(L"-c " + Quoted(Path(name))) != 0) return false;
        if (!::OpenClipboard(nullptr)) return false;
        HANDLE dib = ::GetClipboardData(CF_DIB);
        const bool imported = dib && clipboard.ImportDibHandle(dib);
        ::CloseClipboard();
        return imported;
    }
};

// Colour of the clipboard picture at (x, y), y from the top.
CxRgbQuad At(const CxImage& image, uint32_t x, uint32_t y) {
    CxRgbQuad c = image.GetPixelColor(x, static_cast<int64_t>(image.GetHeight()) - 1 - y, false);
    c.rgbReserved = 0;
    return c;
}

std::vector<uint8_t> Ramp(size_t count) {
    std::vector<uint8_t> v(count);
    for (size_t i = 0; i < count; ++i) v[i] = static_cast<uint8_t>((i * 37 + 11) % 256);
    return v;
}

TEST_F(GifEndToEnd, CopyOfAPlainFile) {
    const auto pixels = Ramp(9 * 4);
    CxImage clip;
    ASSERT_TRUE(CopyThrough(GifWriter("GIF87a").Screen(9, 4, 256).Image(0, 0, 9, 4).Pixels(pixels).Trailer().bytes,
                            L"plain.gif", clip));
    ASSERT_EQ(clip.GetWidth(), 9u);
    ASSERT_EQ(clip.GetHeight(), 4u);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(At(clip, x, y), TableColor(pixels[y * 9 + x])) << x << "," << y;
}

TEST_F(GifEndToEnd, CopyOfAnInterlacedFile) {
    // Five rows stored in pass order 0, 4, 2, 1, 3; each row one index.
    const uint8_t rowIndex[5] = {10, 20, 30, 40, 50};
    std::vector<uint8_t> stored;
    for (int r : {0, 4, 2, 1, 3})
        for (int x = 0; x < 3; ++x) stored.push_back(rowIndex[r]);
    CxImage clip;
    ASSERT_TRUE(CopyThrough(
        GifWriter().Screen(3, 5, 256).Image(0, 0, 3, 5, 0, true).Pixels(stored).Trailer().bytes, L"interlaced.gif",
        clip));
    ASSERT_EQ(clip.GetHeight(), 5u);
    for (uint32_t y = 0; y < 5; ++y) EXPECT_EQ(At(clip, 1, y), TableColor(rowIndex[y])) << y;
}

TEST_F(GifEndToEnd, CopyOfATransparentFileShowsTheCanvasIndex) {
    CxImage clip;
    ASSERT_TRUE(CopyThrough(
        GifWriter().Screen(4, 3, 16).Control(0x01, 0, 6).Image(1, 1, 2, 1).Pixels({2, 3}, 4).Trailer().bytes,
        L"transparent.gif", clip));
    ASSERT_EQ(clip.GetWidth(), 4u);
    EXPECT_EQ(At(clip, 1, 1), TableColor(2));
    EXPECT_EQ(At(clip, 2, 1), TableColor(3));
    EXPECT_EQ(At(clip, 0, 0), TableColor(6)) << "around the image: the transparent index";
    EXPECT_EQ(At(clip, 3, 2), TableColor(6));
}

TEST_F(GifEndToEnd, CopyOfAnAnimatedFileTakesTheFirstPicture) {
    CxImage clip;
    ASSERT_TRUE(CopyThrough(GifWriter()
                                .Screen(2, 2, 256)
                                .Loop(0)
                                .Control(0, 10, 0)
                                .Image(0, 0, 2, 2)
                                .Pixels({1, 2, 3, 4})
                                .Control(0, 10, 0)
                                .Image(0, 0, 2, 2)
                                .Pixels({9, 9, 9, 9})
                                .Trailer()
                                .bytes,
                            L"animated.gif", clip));
    EXPECT_EQ(At(clip, 0, 0), TableColor(1));
    EXPECT_EQ(At(clip, 1, 1), TableColor(4));
}

TEST_F(GifEndToEnd, CopyOfATiledFileComposesTheTiles) {
    GifWriter w;
    w.Screen(4, 2, 0)
        .Control(0, 0, 0)
        .Image(0, 0, 3, 1, 256)
        .Pixels({5, 6, 7})
        .Control(0, 0, 0)
        .Image(3, 0, 1, 1, 256)
        .Pixels({8})
        .Control(0, 0, 0)
        .Image(0, 1, 4, 1, 256)
        .Pixels({1, 2, 3, 4})
        .Trailer();
    CxImage clip;
    ASSERT_TRUE(CopyThrough(w.bytes, L"tiled.gif", clip));
    EXPECT_EQ(clip.GetBpp(), 24u);
    EXPECT_EQ(At(clip, 0, 0), TableColor(5, 1));
    EXPECT_EQ(At(clip, 3, 0), TableColor(8, 1));
    EXPECT_EQ(At(clip, 2, 1), TableColor(3, 1));
}

// Puts the image on the clipboard as a CF_DIB.
bool PutDib(const CxImage& image) {
    HANDLE block = image.ExportDibHandle();
    if (!block || !EmptyTheClipboard() || !::OpenClipboard(nullptr)) return false;
    const bool ok = ::SetClipboardData(CF_DIB, block) != nullptr;
    ::CloseClipboard();
    return ok;
}

TEST_F(GifEndToEnd, PasteOfAnEightBitBitmapWritesOneImageWithAGlobalTable) {
    CxImage picture(23, 11, 8, CXIMAGE_FORMAT_BMP);
    for (int i = 0; i < 256; ++i) picture.SetPaletteColor(uint8_t(i), uint8_t(i), uint8_t(255 - i), uint8_t(i * 5));
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 23; ++x) picture.SetPixelIndex(x, y, uint8_t(x * 11 + y * 7));
    ASSERT_TRUE(PutDib(picture));
    WriteFileBytes(Path(L"x.gif"), "old");
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.gif"))), 0);
    const std::string bytes = ReadFileBytes(Path(L"x.gif"));
    ASSERT_GT(bytes.size(), 13u + 768u);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]), 0xE7);
    CxImage written;
    ASSERT_TRUE(written.Load(Path(L"x.gif"), CXIMAGE_FORMAT_UNKNOWN)) << written.GetLastError();
    EXPECT_EQ(written.GetType(), CXIMAGE_FORMAT_GIF);
    ASSERT_EQ(written.GetBpp(), 8u);
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 23; ++x) {
            ASSERT_EQ(written.GetPixelIndex(x, y), picture.GetPixelIndex(x, y));
            ASSERT_EQ(written.GetPixelColor(x, y, false), picture.GetPixelColor(x, y, false));
        }
}

TEST_F(GifEndToEnd, PasteOfATrueColourBitmapKeepsEveryColour) {
    // Another program's bitmap, larger than one 17 x 15 tile.
    const int width = 40, height = 20;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ::SetPixel(dc, x, y, RGB(6 * x, 12 * y, (x * y) & 0xFF));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ASSERT_TRUE(EmptyTheClipboard());
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ASSERT_NE(::SetClipboardData(CF_BITMAP, bitmap), nullptr);
    ::CloseClipboard();

    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"deep.gif"))), 0);
    CxImage written;
    ASSERT_TRUE(written.Load(Path(L"deep.gif"), CXIMAGE_FORMAT_GIF)) << written.GetLastError();
    ASSERT_EQ(written.GetBpp(), 24u);
    EXPECT_EQ(written.GetNumFrames(), 3 * 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const CxRgbQuad c = At(written, x, y);
            ASSERT_EQ(c.rgbRed, 6 * x) << x << "," << y;
            ASSERT_EQ(c.rgbGreen, 12 * y) << x << "," << y;
            ASSERT_EQ(c.rgbBlue, (x * y) & 0xFF) << x << "," << y;
        }
}

}  // namespace
