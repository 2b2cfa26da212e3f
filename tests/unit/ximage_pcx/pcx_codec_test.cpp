// PCX files built here byte by byte, and images written by the encoder:
// header fields, the run coder's edge cases, round trips of every depth the
// encoder writes, and each failure with its text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/codecs/ximage_pcx.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_bytes.h"

namespace {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;
using qlry::test::EncodeChecked;

// A file of width x height with the given layout; lines holds every plane
// line, top row first, already run-length coded by the caller (or raw when
// no byte reaches 0xC0).
struct PcxFile {
    uint8_t bits = 8;
    uint8_t planes = 1;
    uint16_t width = 1, height = 1, bytesPerLine = 2;
    uint16_t xDpi = 72, yDpi = 150;
    uint8_t map[48] = {};
    Bytes data;

    Bytes Build() const {
        // Sized once: growing a 128-byte vector trips a false bounds warning of gcc 12.
        Bytes out(128 + data.size(), 0);
        out[0] = 0x0A;
        out[1] = 5;
        out[2] = 1;
        out[3] = bits;
        cximage::StoreU16(&out[4], 3);  // a picture need not start at 0
        cximage::StoreU16(&out[6], 5);
        cximage::StoreU16(&out[8], static_cast<uint16_t>(3 + width - 1));
        cximage::StoreU16(&out[10], static_cast<uint16_t>(5 + height - 1));
        cximage::StoreU16(&out[12], xDpi);
        cximage::StoreU16(&out[14], yDpi);
        std::memcpy(&out[16], map, sizeof map);
        out[65] = planes;
        cximage::StoreU16(&out[66], bytesPerLine);
        std::copy(data.begin(), data.end(), out.begin() + 128);
        return out;
    }
};

// Appends one raw byte as the run coder must see it.
void Literal(Bytes& out, uint8_t v) {
    if (v >= 0xC0) out.push_back(0xC1);
    out.push_back(v);
}

// ---- failures --------------------------------------------------------------

struct FailureCase {
    const char* name;
    void (*mutate)(Bytes& file);
    const char* message;
};

// Good base: 4 x 2, 8 bits, one plane, with its palette.
Bytes GoodEightBit() {
    PcxFile f;
    f.width = 4;
    f.height = 2;
    f.bytesPerLine = 4;
    for (int i = 0; i < 8; ++i) f.data.push_back(static_cast<uint8_t>(i * 20));
    Bytes file = f.Build();
    file.push_back(12);
    for (int i = 0; i < 768; ++i) file.push_back(static_cast<uint8_t>(i));
    return file;
}

const FailureCase kFailures[] = {
    {"short header", [](Bytes& b) { b.resize(127); }, "Can't read PCX image"},
    {"manufacturer", [](Bytes& b) { b[0] = 0x0B; }, "Error: Not a PCX file"},
    {"encoding", [](Bytes& b) { b[2] = 0; }, "PCX file has unknown encoding scheme"},
    {"five planes", [](Bytes& b) { b[65] = 5; }, "Can't handle image with more than 4 planes"},
    {"planes of 2 bits", [](Bytes& b) { b[3] = 2; b[65] = 2; }, "Can't handle more than 1 bit per pixel"},
    {"data cut", [](Bytes& b) { b.resize(128 + 5); }, "corrupted PCX"},
    {"run past the end", [](Bytes& b) { b[128 + 6] = 0xC3; }, "repeat count spans end of image"},
    {"palette marker", [](Bytes& b) { b[128 + 8] = 13; }, "bad color map signature"},
    {"no palette", [](Bytes& b) { b.resize(128 + 8); }, "bad color map signature"},
    {"zero bytes per line", [](Bytes& b) { b[66] = 0; }, "Invalid PCX line length"},
    {"Xmax below Xmin", [](Bytes& b) { b[8] = 1; }, "Invalid PCX image size"},
    {"bit depth 3", [](Bytes& b) { b[3] = 3; }, "Can't handle PCX bit depth"},
};

TEST(PcxDecode, FailuresKeepTheImageAndReportTheirText) {
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.name);
        Bytes file = GoodEightBit();
        c.mutate(file);
        CxImage image(3, 3, 24);
        image.SetPixelColor(1, 1, CxRgbQuad{1, 2, 3, 0});
        EXPECT_FALSE(DecodeBytes(file, image, CXIMAGE_FORMAT_PCX));
        EXPECT_STREQ(image.GetLastError(), c.message);
        EXPECT_EQ(image.GetWidth(), 3u);
        EXPECT_EQ(image.GetPixelColor(1, 1, false), (CxRgbQuad{1, 2, 3, 0}));
    }
    CxImage good;
    EXPECT_TRUE(DecodeBytes(GoodEightBit(), good, CXIMAGE_FORMAT_PCX)) << good.GetLastError();
}

TEST(PcxDecode, EscapeCancels) {
    Bytes file = GoodEightBit();
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    CxImagePCX codec;
    codec.SetEscape(1);
    EXPECT_FALSE(codec.Decode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "Cancelled");
}

// ---- layouts the encoder never writes ----------------------------------------

TEST(PcxDecode, TwoBitPackedUsesTheHeaderMap) {
    PcxFile f;
    f.bits = 2;
    f.width = 5;
    f.height = 1;
    f.bytesPerLine = 2;
    for (int i = 0; i < 48; ++i) f.map[i] = static_cast<uint8_t>(7 * i + 1);
    const uint8_t indices[5] = {3, 0, 2, 1, 2};
    uint8_t packed[2] = {};
    for (int x = 0; x < 5; ++x) packed[x / 4] |= static_cast<uint8_t>(indices[x] << (6 - 2 * (x % 4)));
    for (uint8_t b : packed) Literal(f.data, b);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(f.Build(), image, CXIMAGE_FORMAT_PCX)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 4u);
    EXPECT_EQ(image.GetXDpi(), f.xDpi);
    EXPECT_EQ(image.GetYDpi(), f.yDpi);
    for (uint8_t i = 0; i < 4; ++i)
        EXPECT_EQ(image.GetPaletteColor(i), (CxRgbQuad{f.map[3 * i + 2], f.map[3 * i + 1], f.map[3 * i], 0}));
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.GetPixelIndex(x, 0), indices[x]) << x;
}

// Two, three and four bit planes merge into one 4-bit index per pixel.
TEST(PcxDecode, BitPlanesMergeIntoIndices) {
    for (uint8_t planes = 2; planes <= 4; ++planes) {
        SCOPED_TRACE(planes);
        PcxFile f;
        f.bits = 1;
        f.planes = planes;
        f.width = 10;
        f.height = 2;
        f.bytesPerLine = 2;
        std::vector<uint8_t> want;
        for (int y = 0; y < 2; ++y) {
            uint8_t lines[4][2] = {};
            for (int x = 0; x < 10; ++x) {
                const uint8_t index = static_cast<uint8_t>((x * 3 + y * 5) % (1 << planes));
                want.push_back(index);
                for (int p = 0; p < planes; ++p)
                    if (index >> p & 1) lines[p][x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
            for (int p = 0; p < planes; ++p)
                for (uint8_t b : lines[p]) Literal(f.data, b);
        }
        CxImage image;
        ASSERT_TRUE(DecodeBytes(f.Build(), image, CXIMAGE_FORMAT_PCX)) << image.GetLastError();
        ASSERT_EQ(image.GetBpp(), 4u);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 10; ++x) EXPECT_EQ(image.GetPixelIndex(x, 1 - y), want[y * 10 + x]);
    }
}

// ---- the run coder -------------------------------------------------------------

// One row of an 8-bit image of the given pixels, encoded; returns the bytes
// between the header and the palette marker.
Bytes EncodedRow(const std::vector<uint8_t>& pixels) {
    CxImage image(static_cast<uint32_t>(pixels.size()), 1, 8);
    for (size_t x = 0; x < pixels.size(); ++x) image.SetPixelIndex(static_cast<int64_t>(x), 0, pixels[x]);
    const Bytes file = EncodeChecked(image, CXIMAGE_FORMAT_PCX);
    if (file.size() < 128 + 769) return {};
    return Bytes(file.begin() + 128, file.end() - 769);
}

TEST(PcxEncode, RunCoderEdgeCases) {
    struct Case {
        const char* name;
        std::vector<uint8_t> pixels;
        Bytes coded;
    };
    const Case cases[] = {
        {"64 equal bytes", std::vector<uint8_t>(64, 0x21), {0xFF, 0x21, 0x21}},
        {"64 equal high bytes", std::vector<uint8_t>(64, 0xD0), {0xFF, 0xD0, 0xC1, 0xD0}},
        {"single high value", {0x05, 0xC0}, {0x05, 0xC1, 0xC0}},
        {"odd width pads", {0x07, 0x07, 0x09}, {0xC2, 0x07, 0x09, 0x00}},
        {"run of two", {0x33, 0x33, 0x34, 0x35}, {0xC2, 0x33, 0x34, 0x35}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodedRow(c.pixels), c.coded);
    }
}

TEST(PcxEncode, HeaderFields) {
    struct Case {
        uint32_t bpp, width;
        bool alpha;
        uint8_t bits, planes;
        uint16_t bytesPerLine, paletteType;
    };
    const Case cases[] = {
        {8, 5, false, 8, 1, 6, 0},  {8, 6, false, 8, 1, 6, 0},  {24, 3, false, 8, 3, 4, 1},
        {24, 3, true, 8, 4, 4, 1},  {1, 9, false, 1, 1, 2, 0},  {1, 17, false, 1, 1, 4, 0},
        {4, 20, false, 1, 4, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bpp << " bits, width " << c.width);
        CxImage image(c.width, 2, c.bpp);
        if (c.alpha) image.AlphaCreate();
        image.SetXDpi(300);
        image.SetYDpi(200);
        const Bytes f = EncodeChecked(image, CXIMAGE_FORMAT_PCX);
        ASSERT_GE(f.size(), 128u);
        EXPECT_EQ(f[0], 0x0A);
        EXPECT_EQ(f[1], 5);
        EXPECT_EQ(f[2], 1);
        EXPECT_EQ(f[3], c.bits);
        EXPECT_EQ(cximage::LoadU16(&f[4]), 0);
        EXPECT_EQ(cximage::LoadU16(&f[8]), c.width - 1);
        EXPECT_EQ(cximage::LoadU16(&f[10]), 1);
        EXPECT_EQ(cximage::LoadU16(&f[12]), 300);
        EXPECT_EQ(cximage::LoadU16(&f[14]), 200);
        EXPECT_EQ(f[65], c.planes);
        EXPECT_EQ(cximage::LoadU16(&f[66]), c.bytesPerLine);
        EXPECT_EQ(cximage::LoadU16(&f[68]), c.paletteType);
    }
}

// ---- round trips ------------------------------------------------------------

struct RoundTrip {
    uint32_t bpp;
    bool alpha;
};

void FillRandom(CxImage& image, std::mt19937& random, bool alpha) {
    const uint32_t colors = image.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                              static_cast<uint8_t>(random()));
    if (alpha) image.AlphaCreate();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            // Runs as well as noise: every fourth row repeats one value.
            const uint32_t v = (y % 4 == 0) ? 0xC7C7C7u : static_cast<uint32_t>(random());
            if (colors) image.SetPixelIndex(x, y, static_cast<uint8_t>(v % colors));
            else image.SetPixelColor(x, y, CxRgbQuad{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0});
            if (alpha) image.AlphaSet(x, y, static_cast<uint8_t>(v >> 24));
        }
}

TEST(PcxRoundTrip, EveryDepthTheEncoderWrites) {
    const RoundTrip kinds[] = {{1, false}, {4, false}, {8, false}, {24, false}, {24, true}};
    const uint32_t widths[] = {1, 7, 8, 9, 63, 64, 65, 130};
    std::mt19937 random(1234);
    for (const RoundTrip& k : kinds)
        for (uint32_t width : widths) {
            SCOPED_TRACE(testing::Message() << k.bpp << " bits, alpha " << k.alpha << ", width " << width);
            CxImage image(width, 5, k.bpp);
            FillRandom(image, random, k.alpha);
            if (k.bpp == 1) {  // the format stores black and white only
                image.SetPaletteColor(0, 0, 0, 0);
                image.SetPaletteColor(1, 255, 255, 255);
            }
            image.SetXDpi(static_cast<int32_t>(50 + width));
            image.SetYDpi(static_cast<int32_t>(70 + width));
            CxImage back;
            ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_PCX), back, CXIMAGE_FORMAT_PCX))
                << back.GetLastError();
            ASSERT_EQ(back.GetWidth(), width);
            ASSERT_EQ(back.GetHeight(), 5u);
            ASSERT_EQ(back.GetBpp(), k.bpp);
            EXPECT_EQ(back.AlphaIsValid(), k.alpha);
            EXPECT_EQ(back.GetType(), static_cast<uint32_t>(CXIMAGE_FORMAT_PCX));
            EXPECT_EQ(back.GetXDpi(), image.GetXDpi());
            EXPECT_EQ(back.GetYDpi(), image.GetYDpi());
            for (uint32_t i = 0; i < image.GetNumColors(); ++i)
                EXPECT_EQ(back.GetPaletteColor(static_cast<uint8_t>(i)), image.GetPaletteColor(static_cast<uint8_t>(i)));
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < width; ++x) {
                    ASSERT_EQ(back.GetPixelColor(x, y), image.GetPixelColor(x, y)) << x << "," << y;
                    if (image.GetNumColors()) {
                        ASSERT_EQ(back.GetPixelIndex(x, y), image.GetPixelIndex(x, y));
                    }
                }
        }
}

// A white-on-black palette is stored with its bits inverted and comes back
// as black, white with the same picture.
TEST(PcxRoundTrip, InvertedMonochromePalette) {
    CxImage image(11, 3, 1);
    image.SetPaletteColor(0, 255, 255, 255);
    image.SetPaletteColor(1, 0, 0, 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 11; ++x) image.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % 3 == 0));
    CxImage back;
    ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_PCX), back, CXIMAGE_FORMAT_PCX))
        << back.GetLastError();
    EXPECT_EQ(back.GetPaletteColor(0), (CxRgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(back.GetPaletteColor(1), (CxRgbQuad{255, 255, 255, 0}));
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 11; ++x) EXPECT_EQ(back.GetPixelColor(x, y), image.GetPixelColor(x, y));
}

}  // namespace
