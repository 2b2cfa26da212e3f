// Quillory.exe with the JPEG-2000 family (JP2, code streams, PGX, PNM and
// Sun raster) against the real clipboard: copies of each kind of file, and
// pastes of a colour and of a grey bitmap into every extension that writes.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "win/support/win_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

constexpr uint32_t kWidth = 7;
constexpr uint32_t kHeight = 4;

CxRgbQuad ColourAt(uint32_t x, uint32_t y) {
    return CxRgbQuad{static_cast<uint8_t>(17 * (x + y) + 3), static_cast<uint8_t>(60 * y + 5),
                     static_cast<uint8_t>(30 * x + 10), 0};
}

void MakeColour(CxImage& image, uint32_t width = kWidth, uint32_t height = kHeight) {
    image.Create(width, height, 24);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) image.SetPixelColor(x, y, ColourAt(x, y));
}

void MakeGrey(CxImage& image, uint32_t width = kWidth, uint32_t height = kHeight) {
    image.Create(width, height, 8);
    image.SetGrayPalette();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) image.SetPixelIndex(x, y, static_cast<uint8_t>(35 * x + 9 * y));
}

// The clipboard's bitmap, or an empty image.
void ClipboardImage(CxImage& image) {
    if (!::OpenClipboard(nullptr)) return;
    HANDLE dib = ::GetClipboardData(CF_DIB);
    if (dib) image.ImportDibHandle(dib);
    ::CloseClipboard();
}

bool PutImage(const CxImage& image) {
    if (!EmptyTheClipboard() || !::OpenClipboard(nullptr)) return false;
    HGLOBAL block = static_cast<HGLOBAL>(image.ExportDibHandle());
    const bool ok = block && ::SetClipboardData(CF_DIB, block) != nullptr;
    ::CloseClipboard();
    return ok;
}

void ExpectSame(const CxImage& want, const CxImage& got, const std::string& what) {
    ASSERT_EQ(got.GetWidth(), want.GetWidth()) << what;
    ASSERT_EQ(got.GetHeight(), want.GetHeight()) << what;
    for (uint32_t y = 0; y < want.GetHeight(); ++y)
        for (uint32_t x = 0; x < want.GetWidth(); ++x) {
            const CxRgbQuad a = want.GetPixelColor(x, y, false), b = got.GetPixelColor(x, y, false);
            EXPECT_EQ(a.rgbRed, b.rgbRed) << what << " at " << x << "," << y;
            EXPECT_EQ(a.rgbGreen, b.rgbGreen) << what << " at " << x << "," << y;
            EXPECT_EQ(a.rgbBlue, b.rgbBlue) << what << " at " << x << "," << y;
        }
}

struct JasEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"jas");
    std::wstring Path(const std::wstring& name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    struct CopyCase {
        const wchar_t* name;
        uint32_t format;
        CxImage* picture;
    };
    // Each picture saved under its name and copied: the clipboard's bitmap
    // must be that picture.
    void ExpectCopiesPutTheirPictures(std::initializer_list<CopyCase> cases) {
        for (const CopyCase& c : cases) {
            const std::string what(c.name, c.name + wcslen(c.name));
            ASSERT_TRUE(c.picture->Save(Path(c.name), c.format)) << what << ": " << c.picture->GetLastError();
            ASSERT_TRUE(PutClipboardText(L"before"));
            ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(c.name))), 0) << what;
            CxImage back;
            ClipboardImage(back);
            ASSERT_TRUE(back.IsValid()) << what << ": no bitmap on the clipboard";
            ExpectSame(*c.picture, back, what);
        }
    }
};

TEST_F(JasEndToEnd, CopyOfEachKindOfFilePutsItsPicture) {
    CxImage colour, grey;
    MakeColour(colour);
    MakeGrey(grey);
    colour.SetJpegQuality(100);  // lossless JPEG-2000
    ExpectCopiesPutTheirPictures({{L"a.jp2", CXIMAGE_FORMAT_JP2, &colour},
                                  {L"a.j2k", CXIMAGE_FORMAT_JPC, &colour},
                                  {L"a.pgx", CXIMAGE_FORMAT_PGX, &grey},
                                  {L"a.ppm", CXIMAGE_FORMAT_PNM, &colour},
                                  {L"a.ras", CXIMAGE_FORMAT_RAS, &colour},
                                  {L"ppm-named.jpg", CXIMAGE_FORMAT_PNM, &colour},
                                  {L"ras-named.jpg", CXIMAGE_FORMAT_RAS, &colour}});
}

// Rasters of over 256 KB are read in several chunks of rows: every row
// arrives.
TEST_F(JasEndToEnd, CopyOfLargeRastersPutsEveryRow) {
    CxImage colour, grey;
    MakeColour(colour, 401, 300);
    MakeGrey(grey, 613, 500);
    ExpectCopiesPutTheirPictures({{L"big.ppm", CXIMAGE_FORMAT_PNM, &colour},
                                  {L"big.ras", CXIMAGE_FORMAT_RAS, &colour},
                                  {L"big.pgm", CXIMAGE_FORMAT_PNM, &grey},
                                  {L"big.pgx", CXIMAGE_FORMAT_PGX, &grey}});
}

TEST_F(JasEndToEnd, PasteOfAColourAndAGreyBitmapIntoEveryWritableExtension) {
    CxImage colour, grey;
    MakeColour(colour);
    MakeGrey(grey);
    const wchar_t* names[] = {L"x.jp2", L"x.j2k", L"x.jpc", L"x.j2c", L"x.pgx", L"x.pnm", L"x.pgm", L"x.ppm", L"x.ras"};
    for (CxImage* picture : {&colour, &grey}) {
        const bool isGrey = picture == &grey;
        ASSERT_TRUE(PutImage(*picture));
        for (const wchar_t* name : names) {
            const std::wstring path = Path(std::wstring(isGrey ? L"grey_" : L"colour_") + name);
            const std::string what(path.begin(), path.end());
            ASSERT_EQ(RunQuillory(L"-p " + Quoted(path)), 0) << what;
            const uint32_t format = FormatFromExtension(path);
            if (format == CXIMAGE_FORMAT_PGX && !isGrey) {
                EXPECT_FALSE(FileExists(path)) << what << ": PGX takes grey pictures only";
                continue;
            }
            CxImage written;
            ASSERT_TRUE(written.Load(path, CXIMAGE_FORMAT_UNKNOWN)) << what << ": " << written.GetLastError();
            EXPECT_EQ(written.GetType(), format) << what;
            EXPECT_EQ(written.GetBpp(), isGrey ? 8u : 24u) << what;
            if (format == CXIMAGE_FORMAT_JP2 || format == CXIMAGE_FORMAT_JPC) {
                // Quality 90 asks for 90 % of the raw size; a picture this
                // small does not fit with its headers, so only its size is sure.
                EXPECT_EQ(written.GetWidth(), kWidth) << what;
                EXPECT_EQ(written.GetHeight(), kHeight) << what;
            } else {
                ExpectSame(*picture, written, what);
            }
        }
    }
}

}  // namespace
