// The TGA codec on files built in the test: header checks and their texts,
// every pixel layout the decoder reads, packets that cross row ends, both
// row and column orders, and encode/decode round trips.
#include <gtest/gtest.h>

#include "support/byte_builder.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/codecs/ximage_tga.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;

struct Header {
    uint8_t type = 2;
    uint8_t depth = 24;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t descriptor = 0;
    uint8_t mapType = 0;
    uint16_t mapLength = 0;
    uint8_t mapBits = 0;
    uint8_t idLength = 0;
};

using qlry::test::Put16;

// Header, ID field (filled with 0xEE) and the given body.
Bytes File(const Header& h, const Bytes& body = {}) {
    Bytes out = {h.idLength, h.mapType, h.type};
    Put16(out, 0);
    Put16(out, h.mapLength);
    out.push_back(h.mapBits);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, h.width);
    Put16(out, h.height);
    out.push_back(h.depth);
    out.push_back(h.descriptor);
    out.insert(out.end(), h.idLength, 0xEE);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

CxRgbQuad Bgr(uint8_t b, uint8_t g, uint8_t r, uint8_t a = 0) { return CxRgbQuad{b, g, r, a}; }

// ---- failures ---------------------------------------------------------

struct FailureCase {
    const char* what;
    Bytes file;
    int32_t escape;
    const char* message;
};

TEST(TgaDecode, RefusesBadFilesWithTheirText) {
    const Bytes onePixel = {1, 2, 3};
    const Bytes header = File({});
    const FailureCase cases[] = {
        {"empty", {}, 0, "Not a TGA"},
        {"17 bytes", Bytes(header.begin(), header.end() - 1), 0, "Not a TGA"},
        {"type 0", File({.type = 0}, onePixel), 0, "Unknown TGA image type"},
        {"type 4", File({.type = 4}, onePixel), 0, "Unknown TGA image type"},
        {"type 32", File({.type = 32}, onePixel), 0, "Unknown TGA image type"},
        {"zero width", File({.width = 0}, onePixel), 0, "bad TGA header"},
        {"zero height", File({.height = 0}, onePixel), 0, "bad TGA header"},
        {"depth 0", File({.depth = 0}, onePixel), 0, "bad TGA header"},
        {"depth 12", File({.depth = 12}, onePixel), 0, "bad TGA header"},
        {"map of 257", File({.mapType = 1, .mapLength = 257, .mapBits = 24}, Bytes(257 * 3 + 3)), 0,
         "bad TGA header"},
        {"map entry 12 bits", File({.mapType = 1, .mapLength = 2, .mapBits = 12}, Bytes(7)), 0, "bad TGA header"},
        {"map type 2", File({.mapType = 2}, onePixel), 0, "bad TGA header"},
        {"mapped 24-bit", File({.type = 1, .depth = 24}, onePixel), 0, "bad TGA header"},
        {"true-colour 8-bit", File({.type = 2, .depth = 8}, onePixel), 0, "bad TGA header"},
        {"grey 24-bit", File({.type = 3, .depth = 24}, onePixel), 0, "bad TGA header"},
        {"no pixels", File({}), 0, "corrupted TGA"},
        {"rows missing", File({.height = 3}, Bytes(3)), 0, "corrupted TGA"},
        {"rle rows missing", File({.type = 10, .width = 300, .height = 3}, {0xFF, 1, 2, 3}), 0, "corrupted TGA"},
        {"ID field but no pixels", File({.idLength = 3}), 0, "corrupted TGA"},
        {"too large", File({.depth = 32, .width = 0xFFFF, .height = 0xFFFF}, Bytes(1 << 16)), 0,
         "corrupted TGA"},
        {"cancelled", File({}, onePixel), 1, "Cancelled"},
        {"dimension probe", File({}, onePixel), -1, "Cancelled"},
    };
    for (const FailureCase& c : cases) {
        CxImage image;
        image.SetEscape(c.escape);
        EXPECT_FALSE(DecodeBytes(c.file, image, CXIMAGE_FORMAT_TGA)) << c.what;
        EXPECT_STREQ(image.GetLastError(), c.message) << c.what;
        EXPECT_FALSE(image.IsValid()) << c.what;
    }
}

TEST(TgaDecode, LargeImageAboveTheMemoryCapFailsCreate) {
    // 65535 x 1400 at 24 bits is above the cap; enough run packets follow to pass the data check.
    const uint64_t pixels = uint64_t{0xFFFF} * 1399;
    ASSERT_GT(pixels * 3, CXIMAGE_MAX_MEMORY);
    const Bytes file = File({.type = 10, .width = 0xFFFF, .height = 1400},
                            Bytes(static_cast<size_t>((pixels + 127) / 128 * 4 + 1), 0xFF));
    CxImage image;
    EXPECT_FALSE(DecodeBytes(file, image, CXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(image.GetLastError(), "TGA Create failed");
}

// ---- pixel layouts ------------------------------------------------------

struct LayoutCase {
    const char* what;
    Header header;
    Bytes body;  // colour map and pixels
    uint32_t bpp;
    std::vector<CxRgbQuad> expected;  // row by row from the top, left to right
    bool alpha;
};

uint8_t Five(uint32_t v) { return static_cast<uint8_t>((v & 31) << 3); }
CxRgbQuad From555(uint16_t p) { return Bgr(Five(p), Five(p >> 5), Five(p >> 10)); }

TEST(TgaDecode, ReadsEveryLayout) {
    const CxRgbQuad a = Bgr(1, 2, 3), b = Bgr(4, 5, 6), c = Bgr(7, 8, 9), d = Bgr(10, 11, 12);
    const LayoutCase cases[] = {
        // bottom-up by default: the first file row is the bottom one
        {"24 bottom-up", {.width = 2, .height = 2}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24, {c, d, a, b}, false},
        {"24 top-down", {.width = 2, .height = 2, .descriptor = 0x20}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24,
         {a, b, c, d}, false},
        {"24 right to left", {.width = 2, .height = 2, .descriptor = 0x10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         24, {d, c, b, a}, false},
        {"16-bit", {.depth = 16, .width = 3}, {0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x83}, 24,
         {From555(0x7FFF), From555(0x001F), From555(0x83E0)}, false},
        {"15-bit", {.depth = 15}, {0x00, 0x7C}, 24, {From555(0x7C00)}, false},
        {"32-bit alpha top-down", {.depth = 32, .width = 1, .height = 2, .descriptor = 0x28},
         {1, 2, 3, 40, 4, 5, 6, 50}, 24, {Bgr(1, 2, 3, 40), Bgr(4, 5, 6, 50)}, true},
        {"32-bit alpha mirrored", {.depth = 32, .width = 2, .descriptor = 0x18}, {1, 2, 3, 40, 4, 5, 6, 50}, 24,
         {Bgr(4, 5, 6, 50), Bgr(1, 2, 3, 40)}, true},
        {"mapped 24-bit entries", {.type = 1, .depth = 8, .width = 2, .mapType = 1, .mapLength = 2, .mapBits = 24},
         {1, 2, 3, 4, 5, 6, 1, 0}, 8, {b, a}, false},
        {"mapped 16-bit entries", {.type = 1, .depth = 8, .width = 2, .mapType = 1, .mapLength = 2, .mapBits = 16},
         {0xFF, 0x7F, 0x1F, 0x00, 1, 0}, 8, {From555(0x001F), From555(0x7FFF)}, false},
        {"mapped grey entries", {.type = 1, .depth = 8, .width = 2, .mapType = 1, .mapLength = 2, .mapBits = 8},
         {30, 60, 1, 0}, 8, {Bgr(60, 60, 60), Bgr(30, 30, 30)}, false},
        {"grey ignores the map", {.type = 3, .depth = 8, .width = 2, .mapType = 1, .mapLength = 1, .mapBits = 24},
         {9, 9, 9, 17, 200}, 8, {Bgr(17, 17, 17), Bgr(200, 200, 200)}, false},
        {"grey with alpha", {.type = 3, .depth = 16, .width = 2}, {17, 30, 200, 40}, 8,
         {Bgr(17, 17, 17, 30), Bgr(200, 200, 200, 40)}, true},
        {"ID field skipped", {.idLength = 5}, {1, 2, 3}, 24, {a}, false},
        // run-length packets that cross row ends, bottom-up 3 x 2
        {"run across rows", {.type = 10, .width = 3, .height = 2}, {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9}, 24,
         {a, b, c, a, a, a}, false},
        {"raw across rows", {.type = 10, .width = 3, .height = 2},
         {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x81, 1, 2, 3}, 24, {d, a, a, a, b, c}, false},
        {"run over three rows", {.type = 11, .depth = 8, .width = 1, .height = 3}, {0x82, 77}, 8,
         {Bgr(77, 77, 77), Bgr(77, 77, 77), Bgr(77, 77, 77)}, false},
        {"rle 32-bit", {.type = 10, .depth = 32, .width = 2, .descriptor = 0x20}, {0x81, 1, 2, 3, 9}, 24,
         {Bgr(1, 2, 3, 9), Bgr(1, 2, 3, 9)}, true},
        {"rle mapped", {.type = 9, .depth = 8, .width = 3, .mapType = 1, .mapLength = 2, .mapBits = 24},
         {1, 2, 3, 4, 5, 6, 0x00, 1, 0x81, 0}, 8, {b, a, a}, false},
        // a short last row reads as zero
        {"short last row", {.width = 2, .height = 1}, {1, 2, 3, 4}, 24, {a, Bgr(4, 0, 0)}, false},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        CxImage image;
        ASSERT_TRUE(DecodeBytes(File(c.header, c.body), image, CXIMAGE_FORMAT_TGA)) << image.GetLastError();
        EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_TGA});
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.AlphaIsValid(), c.alpha);
        ASSERT_EQ(size_t{image.GetWidth()} * image.GetHeight(), c.expected.size());
        size_t i = 0;
        for (uint32_t y = image.GetHeight(); y-- > 0;)
            for (uint32_t x = 0; x < image.GetWidth(); ++x, ++i) {
                CxRgbQuad got = image.GetPixelColor(x, y, c.alpha);
                if (!c.alpha) got.rgbReserved = 0;
                EXPECT_EQ(got, c.expected[i]) << "pixel " << x << "," << y;
            }
    }
}

// ---- encoding -------------------------------------------------------------

class AlphaImage : public CxImage {
public:
    using CxImage::CxImage;
    void SetAlphaMax(uint8_t value) { info.alphaMax = value; }
};

void Fill(CxImage& image, bool withAlpha) {
    for (uint32_t i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i * 3 + 1));
    if (withAlpha) image.AlphaCreate();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            if (image.GetNumColors()) image.SetPixelIndex(x, y, static_cast<uint8_t>(x * 5 + y * 11));
            else image.SetPixelColor(x, y, Bgr(static_cast<uint8_t>(x * 9), static_cast<uint8_t>(y * 13),
                                               static_cast<uint8_t>(x ^ y)));
            image.AlphaSet(x, y, static_cast<uint8_t>(x * 31 + y));
        }
}

struct RoundTripCase {
    uint32_t bpp;
    bool alpha;
    uint8_t alphaMax;
    uint8_t type, depth, mapType;
};

TEST(TgaEncode, RoundTripsWhatItWrites) {
    const RoundTripCase cases[] = {
        {8, false, 255, 1, 8, 1},
        {24, false, 255, 2, 24, 0},
        {24, true, 255, 2, 32, 0},
        {24, true, 128, 2, 32, 0},
    };
    for (const RoundTripCase& c : cases) {
        for (uint32_t width : {1u, 3u, 17u}) {
            SCOPED_TRACE(::testing::Message() << c.bpp << " bits, alpha " << c.alpha << ", max "
                                              << int{c.alphaMax} << ", width " << width);
            AlphaImage image(width, 5, c.bpp);
            Fill(image, c.alpha);
            image.SetAlphaMax(c.alphaMax);
            const Bytes file = qlry::test::EncodeBytes(image, CXIMAGE_FORMAT_TGA);
            ASSERT_GE(file.size(), 18u);
            EXPECT_EQ(file[1], c.mapType);
            EXPECT_EQ(file[2], c.type);
            EXPECT_EQ(file[16], c.depth);
            EXPECT_EQ(file[17], 0);
            EXPECT_EQ(file[12] | file[13] << 8, static_cast<int>(width));
            const size_t map = c.mapType ? 256 * 3 : 0;
            EXPECT_EQ(file.size(), 18 + map + size_t{width} * 5 * (c.depth / 8));

            CxImage back;
            ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_TGA)) << back.GetLastError();
            ASSERT_EQ(back.GetBpp(), c.bpp);
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < width; ++x) {
                    CxRgbQuad want = image.GetPixelColor(x, y, false);
                    CxRgbQuad got = back.GetPixelColor(x, y, false);
                    want.rgbReserved = got.rgbReserved = 0;
                    EXPECT_EQ(got, want) << x << "," << y;
                    if (c.alpha) {
                        EXPECT_EQ(back.AlphaGet(x, y), image.AlphaGet(x, y) * c.alphaMax / 255) << x << "," << y;
                    }
                }
        }
    }
}

TEST(TgaEncode, RefusesWhatItCannotWrite) {
    struct {
        uint32_t width, height, bpp;
        const char* message;
    } const cases[] = {
        {2, 2, 1, "Bit depth must be 8 or 24"},
        {2, 2, 4, "Bit depth must be 8 or 24"},
        {0x10000, 1, 8, "Image too large for TGA"},
    };
    for (const auto& c : cases) {
        CxImage image(c.width, c.height, c.bpp);
        ASSERT_TRUE(image.IsValid());
        CxMemStream stream;
        ASSERT_TRUE(stream.Open());
        EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_TGA)) << c.bpp;
        EXPECT_STREQ(image.GetLastError(), c.message);
        EXPECT_EQ(stream.Size(), 0) << "nothing written";
    }
}

}  // namespace
