// Transparency through the real clipboard, with Quillory.exe as its own
// process: a transparent picture is copied as CF_DIB (unchanged), "PNG" and
// CF_DIBV5; another program's "PNG" pastes with its alpha.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "win/support/win_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

// An 8-bit RGBA picture from the PNG suite, alpha from clear to opaque.
constexpr char kLogo[] = "png/pngsuite_basn6a08.png";

UINT PngFormat() { return ::RegisterClipboardFormatW(L"PNG"); }

std::string LogoBytes() {
    const std::vector<uint8_t> bytes = qlry::test::ReadCorpusBytes(kLogo);
    return std::string(bytes.begin(), bytes.end());
}

bool DecodePng(std::string bytes, CxImage& image) {
    CxMemStream stream(reinterpret_cast<uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    return image.Decode(&stream, CXIMAGE_FORMAT_PNG);
}

// A clipboard block's bytes, read with the clipboard open.
std::string BlockBytes(HANDLE block) {
    std::string bytes;
    if (!block) return bytes;
    if (const void* data = ::GlobalLock(block)) {
        bytes.assign(static_cast<const char*>(data), ::GlobalSize(block));
        ::GlobalUnlock(block);
    }
    return bytes;
}

struct ClipboardContents {
    std::string dib, png, dibV5;
    std::vector<UINT> formats;  // as EnumClipboardFormats lists them
};

ClipboardContents ReadClipboard() {
    ClipboardContents contents;
    if (!::OpenClipboard(nullptr)) return contents;
    for (UINT f = ::EnumClipboardFormats(0); f != 0; f = ::EnumClipboardFormats(f)) contents.formats.push_back(f);
    contents.dib = BlockBytes(::GetClipboardData(CF_DIB));
    if (::IsClipboardFormatAvailable(PngFormat())) contents.png = BlockBytes(::GetClipboardData(PngFormat()));
    contents.dibV5 = BlockBytes(::GetClipboardData(CF_DIBV5));
    ::CloseClipboard();
    return contents;
}

int PositionOf(const std::vector<UINT>& formats, UINT format) {
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i] == format) return static_cast<int>(i);
    return -1;
}

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// Same size, and every pixel's colour and opacity equal (255 without a plane).
::testing::AssertionResult SamePicture(const CxImage& a, const CxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << "sizes differ";
    for (uint32_t y = 0; y < a.GetHeight(); ++y) {
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            CxRgbQuad p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            p.rgbReserved = a.AlphaIsValid() ? a.AlphaGet(x, y) : 255;
            q.rgbReserved = b.AlphaIsValid() ? b.AlphaGet(x, y) : 255;
            if (!(p == q)) return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

struct ClipboardAlphaEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"alpha");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(ClipboardAlphaEndToEnd, TransparentCopyLeavesCfDibPngAndDibV5) {
    const std::string file = LogoBytes();
    ASSERT_FALSE(file.empty());
    WriteFileBytes(Path(L"logo.png"), file);
    CxImage logo;
    ASSERT_TRUE(logo.Load(Path(L"logo.png")));
    ASSERT_TRUE(logo.AlphaIsValid());
    ASSERT_TRUE(PutClipboardText(L"before"));

    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"logo.png"))), 0);
    const ClipboardContents got = ReadClipboard();

    // CF_DIB: the image's own 24-bit block, exactly as without transparency.
    HGLOBAL own = logo.ExportDibHandle();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(got.dib, BlockBytes(own));
    ::GlobalFree(own);
    EXPECT_EQ(PositionOf(got.formats, CF_UNICODETEXT), -1) << "the clipboard was not emptied";
    const int dibAt = PositionOf(got.formats, CF_DIB), pngAt = PositionOf(got.formats, PngFormat()),
              v5At = PositionOf(got.formats, CF_DIBV5);
    EXPECT_GE(dibAt, 0);
    EXPECT_GT(pngAt, dibAt);
    EXPECT_GT(v5At, pngAt);

    // "PNG": the picture with its alpha.
    CxImage fromPng;
    ASSERT_TRUE(DecodePng(got.png, fromPng));
    EXPECT_TRUE(SamePicture(fromPng, logo));

    // CF_DIBV5: 32-bit bitfields, straight alpha equal to the file's.
    ASSERT_GE(got.dibV5.size(), 124u + 4u * logo.GetWidth() * logo.GetHeight());
    EXPECT_EQ(U32(got.dibV5, 0), 124u);
    EXPECT_EQ(static_cast<uint8_t>(got.dibV5[14]), 32);
    EXPECT_EQ(U32(got.dibV5, 16), static_cast<uint32_t>(BI_BITFIELDS));
    EXPECT_EQ(U32(got.dibV5, 52), 0xFF000000u);
    const auto* pixels = reinterpret_cast<const uint8_t*>(got.dibV5.data()) + 124;
    for (uint32_t y = 0; y < logo.GetHeight(); ++y) {
        for (uint32_t x = 0; x < logo.GetWidth(); ++x) {
            const uint8_t* p = pixels + (size_t{y} * logo.GetWidth() + x) * 4;
            const CxRgbQuad want = logo.GetPixelColor(x, y, true);
            ASSERT_EQ(p[3], want.rgbReserved) << x << "," << y;
            ASSERT_EQ(p[2], want.rgbRed) << x << "," << y;
            ASSERT_EQ(p[1], want.rgbGreen) << x << "," << y;
            ASSERT_EQ(p[0], want.rgbBlue) << x << "," << y;
        }
    }
}

TEST_F(ClipboardAlphaEndToEnd, OpaqueCopyAddsNothingButCfDib) {
    CxImage photo;
    ASSERT_NE(photo.Create(6, 4, 24), nullptr);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x) photo.SetPixelColor(x, y, CxRgbQuad{uint8_t(40 * x), uint8_t(60 * y), 99, 0});
    ASSERT_TRUE(photo.Save(Path(L"photo.png"), CXIMAGE_FORMAT_PNG));

    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"photo.png"))), 0);
    const ClipboardContents got = ReadClipboard();
    ASSERT_FALSE(got.dib.empty());
    EXPECT_EQ(PositionOf(got.formats, PngFormat()), -1);
    // Beside CF_DIB only what the system makes from it on request: CF_BITMAP,
    // and a CF_DIBV5 converted from CF_DIB (24 bits, no masks), not ours.
    EXPECT_EQ(PositionOf(got.formats, CF_DIB), 0);
    for (UINT format : got.formats) EXPECT_TRUE(format == CF_DIB || format == CF_BITMAP || format == CF_DIBV5) << format;
    if (!got.dibV5.empty()) {
        ASSERT_GE(got.dibV5.size(), 20u);
        EXPECT_EQ(static_cast<uint8_t>(got.dibV5[14]), 24);
        EXPECT_EQ(U32(got.dibV5, 16), static_cast<uint32_t>(BI_RGB));
    }
}

TEST_F(ClipboardAlphaEndToEnd, AnotherProgramsPngPastesWithItsAlpha) {
    const std::string file = LogoBytes();
    CxImage original;
    ASSERT_TRUE(DecodePng(file, original));
    ASSERT_TRUE(PutClipboardRegistered(L"PNG", file));

    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.png"))), 0);
    CxImage asPng;
    ASSERT_TRUE(asPng.Load(Path(L"x.png"))) << "nothing pasted from a PNG alone";
    EXPECT_TRUE(SamePicture(asPng, original));

    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"x.bmp"))), 0);
    CxImage asBmp;
    ASSERT_TRUE(asBmp.Load(Path(L"x.bmp"), CXIMAGE_FORMAT_BMP));
    EXPECT_FALSE(asBmp.AlphaIsValid());
    original.AlphaDelete();
    EXPECT_TRUE(SamePicture(asBmp, original));  // the colours
}

TEST_F(ClipboardAlphaEndToEnd, TransparentCopyPastesBackWithItsAlpha) {
    WriteFileBytes(Path(L"logo.png"), LogoBytes());
    CxImage logo;
    ASSERT_TRUE(logo.Load(Path(L"logo.png")));
    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"logo.png"))), 0);
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"copy.tga"))), 0);
    CxImage back;
    ASSERT_TRUE(back.Load(Path(L"copy.tga")));
    EXPECT_TRUE(SamePicture(back, logo));
}

}  // namespace
