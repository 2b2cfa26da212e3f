// Quillory.exe with TIFF files against the real clipboard: copies of a G4
// fax page, an LZW palette file, a JPEG-compressed RGB file and a tiled
// 16-bit file; pastes of a 24-bit and a 1-bit clipboard bitmap into .tif.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_paths.h"
#include "win/support/win_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

std::string CorpusFile(const std::string& name) {
    std::ifstream file(qlry::test::CorpusPath("tiff/" + name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The clipboard's CF_DIB as an image; false when there is none.
bool ClipboardImage(CxImage& image) {
    if (!::OpenClipboard(nullptr)) return false;
    HANDLE dib = ::GetClipboardData(CF_DIB);
    const bool ok = dib && image.ImportDibHandle(dib);
    ::CloseClipboard();
    return ok;
}

::testing::AssertionResult SamePicture(const CxImage& a, const CxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << "sizes differ";
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const CxRgbQuad ca = a.GetPixelColor(x, y, false), cb = b.GetPixelColor(x, y, false);
            if (ca.rgbRed != cb.rgbRed || ca.rgbGreen != cb.rgbGreen || ca.rgbBlue != cb.rgbBlue)
                return ::testing::AssertionFailure() << "colour differs at " << x << "," << y;
        }
    return ::testing::AssertionSuccess();
}

struct TiffEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"tiff");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    // Copies the file with Quillory.exe and returns what the clipboard holds.
    void CopyFile(const std::wstring& path, CxImage& onClipboard) {
        ASSERT_TRUE(PutClipboardText(L"before"));
        ASSERT_EQ(RunQuillory(L"-c " + Quoted(path)), 0);
        ASSERT_TRUE(ClipboardImage(onClipboard)) << "no bitmap on the clipboard";
    }
};

TEST_F(TiffEndToEnd, CopyOfAG4FaxPage) {
    WriteFileBytes(Path(L"fax.tif"), CorpusFile("goimage_bw-gopher_ccittGroup4.tiff"));
    CxImage clip;
    CopyFile(Path(L"fax.tif"), clip);
    EXPECT_EQ(clip.GetBpp(), 1u);
    EXPECT_EQ(clip.GetWidth(), 153u);
    EXPECT_EQ(clip.GetHeight(), 55u);
    // The same page stored with G3 reads the same.
    WriteFileBytes(Path(L"g3.tif"), CorpusFile("goimage_bw-gopher_ccittGroup3.tiff"));
    CxImage g3;
    ASSERT_TRUE(g3.Load(Path(L"g3.tif"), CXIMAGE_FORMAT_TIF)) << g3.GetLastError();
    EXPECT_TRUE(SamePicture(clip, g3));
}

TEST_F(TiffEndToEnd, CopyOfAnLzwPaletteFile) {
    // Written by libtiff itself: 8-bit palette, LZW, colours no grey ramp has.
    const std::wstring path = Path(L"palette.tif");
    {
        const std::string narrow(path.begin(), path.end());
        TIFF* tif = TIFFOpen(narrow.c_str(), "w");
        ASSERT_NE(tif, nullptr);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 6u);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4u);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        std::vector<uint16_t> red(256), green(256), blue(256);
        for (int i = 0; i < 256; ++i) {
            red[i] = static_cast<uint16_t>(i * 257);
            green[i] = static_cast<uint16_t>((255 - i) * 257);
            blue[i] = static_cast<uint16_t>((i * 5 % 256) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        for (uint32_t y = 0; y < 4; ++y) {
            uint8_t row[6];
            for (uint32_t x = 0; x < 6; ++x) row[x] = static_cast<uint8_t>(x * 40 + y);
            ASSERT_GE(TIFFWriteScanline(tif, row, y, 0), 0);
        }
        TIFFClose(tif);
    }
    CxImage clip;
    CopyFile(path, clip);
    ASSERT_EQ(clip.GetWidth(), 6u);
    ASSERT_EQ(clip.GetHeight(), 4u);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            const uint8_t index = static_cast<uint8_t>(x * 40 + y);
            const CxRgbQuad c = clip.GetPixelColor(x, 3 - y, false);
            EXPECT_EQ(c.rgbRed, index) << x << "," << y;
            EXPECT_EQ(c.rgbGreen, 255 - index) << x << "," << y;
            EXPECT_EQ(c.rgbBlue, index * 5 % 256) << x << "," << y;
        }
}

TEST_F(TiffEndToEnd, CopyOfJpegRgbAndTiled16BitFiles) {
    struct Case {
        const wchar_t* name;
        const char* corpus;
        uint32_t width, height;
    };
    for (const Case c : {Case{L"jpeg.tif", "pillow_hopper_jpg.tif", 128, 128},
                         Case{L"tiled16.tif", "pillow_tiff_16bit_RGB.tiff", 100, 40}}) {
        SCOPED_TRACE(c.corpus);
        WriteFileBytes(Path(c.name), CorpusFile(c.corpus));
        CxImage clip;
        CopyFile(Path(c.name), clip);
        EXPECT_EQ(clip.GetBpp(), 24u);
        EXPECT_EQ(clip.GetWidth(), c.width);
        EXPECT_EQ(clip.GetHeight(), c.height);
        CxImage direct;
        ASSERT_TRUE(direct.Load(Path(c.name), CXIMAGE_FORMAT_TIF)) << direct.GetLastError();
        EXPECT_TRUE(SamePicture(clip, direct));
        // Not a blank picture: the corners differ.
        const CxRgbQuad a = clip.GetPixelColor(0, 0), b = clip.GetPixelColor(c.width - 1, c.height - 1);
        EXPECT_FALSE(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue);
    }
}

TEST_F(TiffEndToEnd, PasteOfA24BitBitmapWritesJpegInTiff) {
    ASSERT_TRUE(PutClipboardBitmap(37, 21, RGB(200, 30, 90)));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.tif"))), 0);
    const std::string bytes = ReadFileBytes(Path(L"x.tif"));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("II*\0", 4));
    CxImage written;
    ASSERT_TRUE(written.Load(Path(L"x.tif"), CXIMAGE_FORMAT_TIF)) << written.GetLastError();
    EXPECT_EQ(written.GetCodecOption(CXIMAGE_FORMAT_TIF), uint32_t{COMPRESSION_JPEG});
    EXPECT_EQ(written.GetWidth(), 37u);
    EXPECT_EQ(written.GetHeight(), 21u);
    const CxRgbQuad c = written.GetPixelColor(18, 10);
    EXPECT_NEAR(c.rgbRed, 200, 6);
    EXPECT_NEAR(c.rgbGreen, 30, 6);
    EXPECT_NEAR(c.rgbBlue, 90, 6);
}

TEST_F(TiffEndToEnd, PasteOfA1BitBitmapWritesGroup4) {
    // A 1-bit CF_DIB, entry 0 black: 16 x 2 pixels, rows bottom-up.
    const uint32_t width = 16, height = 2;
    std::string block(40 + 8 + 8, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) block[at + i] = static_cast<char>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, width);
    put32(8, height);
    block[12] = 1;
    block[14] = 1;
    put32(32, 2);
    put32(44, 0x00FFFFFF);  // entry 1 white
    block[48] = static_cast<char>(0xF0);  // bottom row: four white, four black...
    block[49] = static_cast<char>(0x0F);
    block[52] = static_cast<char>(0xAA);  // top row
    block[53] = static_cast<char>(0x55);
    ASSERT_TRUE(EmptyTheClipboard());
    HGLOBAL handle = ::GlobalAlloc(GMEM_MOVEABLE, block.size());
    ASSERT_NE(handle, nullptr);
    std::memcpy(::GlobalLock(handle), block.data(), block.size());
    ::GlobalUnlock(handle);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const bool set = ::SetClipboardData(CF_DIB, handle) != nullptr;
    ::CloseClipboard();
    ASSERT_TRUE(set);

    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"fax.tif"))), 0);
    CxImage written;
    ASSERT_TRUE(written.Load(Path(L"fax.tif"), CXIMAGE_FORMAT_TIF)) << written.GetLastError();
    EXPECT_EQ(written.GetCodecOption(CXIMAGE_FORMAT_TIF), uint32_t{COMPRESSION_CCITTFAX4});
    ASSERT_EQ(written.GetBpp(), 1u);
    ASSERT_EQ(written.GetWidth(), width);
    for (uint32_t x = 0; x < width; ++x) {
        const bool bottomWhite = ((x < 8 ? 0xF0 : 0x0F) >> (7 - x % 8)) & 1;
        const bool topWhite = ((x < 8 ? 0xAA : 0x55) >> (7 - x % 8)) & 1;
        EXPECT_EQ(written.GetPixelColor(x, 0).rgbRed, bottomWhite ? 255 : 0) << x;
        EXPECT_EQ(written.GetPixelColor(x, 1).rgbRed, topWhite ? 255 : 0) << x;
    }
}

}  // namespace
