// WBMP codec: header checks and their messages, the picture orientation,
// encode -> decode round trips, and what the encoder refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "wbmp_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/codecs/ximage_wbmp.h"

namespace {

using namespace qlry::test::wbmp;
using Bytes = std::vector<uint8_t>;

// A memory stream that cannot tell its size, as a pipe would.
class SizelessStream : public CxMemStream {
public:
    using CxMemStream::CxMemStream;
    int32_t Size() override { return -1; }
};

struct BadFile {
    const char* what;
    Bytes bytes;
    const char* message;
};

TEST(WbmpDecode, BadHeadersFailWithTheirMessageAndLeaveTheImage) {
    const BadFile cases[] = {
        {"empty", {}, "Not a WBMP"},
        {"type only", {0}, "Not a WBMP"},
        {"no height", {0, 0, 4}, "Not a WBMP"},
        {"width cut inside", {0, 0, 0x81}, "Not a WBMP"},
        {"width above 31 bits", {0, 0, 0x88, 0x80, 0x80, 0x80, 0x00, 1, 0}, "Not a WBMP"},
        {"width of six bytes", {0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 1, 0}, "Not a WBMP"},
        {"type 1", {1, 0, 1, 1, 0}, "Unsupported WBMP type"},
        {"type 255", {255, 0, 1, 1, 0}, "Unsupported WBMP type"},
        {"extension headers", {0, 0x80, 1, 1, 0}, "Unsupported WBMP type"},
        {"width 0", {0, 0, 0, 1, 0}, "Corrupted WBMP"},
        {"height 0", {0, 0, 1, 0, 0}, "Corrupted WBMP"},
        {"last row missing", {0, 0, 8, 2, 0xFF}, "Corrupted WBMP"},
        {"rows missing", {0, 0, 9, 3, 1, 2, 3, 4, 5}, "Corrupted WBMP"},
        {"huge and short", {0, 0, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0}, "Corrupted WBMP"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        CxImage image(3, 2, 8);
        image.SetPixelIndex(1, 1, 77);
        EXPECT_FALSE(DecodeBytes(c.bytes, image));
        EXPECT_STREQ(image.GetLastError(), c.message);
        EXPECT_EQ(image.GetBpp(), 8u);
        EXPECT_EQ(image.GetPixelIndex(1, 1), 77);
        CxImageWBMP codec;
        Bytes copy = c.bytes;
        SizelessStream stream(copy.empty() ? nullptr : copy.data(), static_cast<int32_t>(copy.size()));
        if (copy.empty()) stream.Open();
        EXPECT_FALSE(codec.Decode(&stream));
        EXPECT_FALSE(codec.IsValid());
    }
}

TEST(WbmpDecode, SizeBeyondTheMemoryCapFailsCreate) {
    // Without a known stream size the header is believed up to Create.
    Bytes bytes = {0, 0, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0};
    SizelessStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    CxImageWBMP codec;
    EXPECT_FALSE(codec.Decode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "WBMP Create failed");
}

TEST(WbmpDecode, TopRowComesFirstAndSetBitsAreWhite) {
    CxImage image;
    ASSERT_TRUE(DecodeBytes({0, 0, 8, 2, 0xFF, 0x00}, image, CXIMAGE_FORMAT_UNKNOWN)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_WBMP});
    ASSERT_EQ(image.GetWidth(), 8u);
    ASSERT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image.GetBpp(), 1u);
    const CxRgbQuad white{255, 255, 255, 0}, black{0, 0, 0, 0};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(image.GetPixelColor(x, 1, false), white) << x;  // row 1 is the top
        EXPECT_EQ(image.GetPixelColor(x, 0, false), black) << x;
    }
}

TEST(WbmpDecode, MultiByteSizesAndTrailingBytes) {
    // 130 = 0x81 0x02; one row of 17 bytes, then bytes that belong to nothing.
    Bytes file = {0, 0, 0x81, 0x02, 1};
    for (int i = 0; i < 17; ++i) file.push_back(static_cast<uint8_t>(0x80 >> (i % 8)));
    file.push_back(0x55);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image)) << image.GetLastError();
    ASSERT_EQ(image.GetWidth(), 130u);
    ASSERT_EQ(image.GetHeight(), 1u);
    for (uint32_t x = 0; x < 130; ++x) EXPECT_EQ(image.GetPixelIndex(x, 0), (x % 8) == (x / 8) % 8 ? 1 : 0) << x;
}

// Pixels from a fixed pseudo-random sequence.
void FillPattern(CxImage& image, uint32_t seed) {
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            seed = seed * 1103515245u + 12345u;
            image.SetPixelIndex(x, y, static_cast<uint8_t>((seed >> 16) & 1));
        }
}

TEST(WbmpEncode, RoundTripsKeepEveryPixel) {
    const struct { uint32_t width, height; } sizes[] = {{1, 1}, {7, 3}, {8, 8}, {9, 5}, {127, 2}, {128, 1},
                                                        {255, 255}, {300, 2}, {40000, 1}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        CxImage source(s.width, s.height, 1);
        source.SetGrayPalette();
        FillPattern(source, s.width * 31 + s.height);
        bool ok = false;
        const Bytes file = EncodeBytes(source, ok);
        ASSERT_TRUE(ok) << source.GetLastError();
        const auto integerBytes = [](uint32_t v) { size_t n = 1; while (v >>= 7) ++n; return n; };
        EXPECT_EQ(file.size(), 2 + integerBytes(s.width) + integerBytes(s.height) +
                                   size_t{(s.width + 7) / 8} * s.height);
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_UNKNOWN)) << decoded.GetLastError();
        ASSERT_EQ(decoded.GetWidth(), s.width);
        ASSERT_EQ(decoded.GetHeight(), s.height);
        for (uint32_t y = 0; y < s.height; ++y)
            for (uint32_t x = 0; x < s.width; ++x)
                ASSERT_EQ(decoded.GetPixelIndex(x, y), source.GetPixelIndex(x, y)) << x << "," << y;
    }
}

TEST(WbmpEncode, ColoursSurviveWhateverThePaletteOrder) {
    const CxRgbQuad palettes[][2] = {
        {{0, 0, 0, 0}, {255, 255, 255, 0}},
        {{255, 255, 255, 0}, {0, 0, 0, 0}},
        {{200, 220, 240, 0}, {10, 20, 30, 0}},
    };
    for (const auto& palette : palettes) {
        CxImage source(11, 4, 1);
        source.SetPalette(palette, 2);
        FillPattern(source, 7);
        bool ok = false;
        const Bytes file = EncodeBytes(source, ok);
        ASSERT_TRUE(ok);
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(file, decoded));
        const bool firstIsDark = CompareColors(palette[0], palette[1]) < 0;
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 11; ++x) {
                const bool bright = (source.GetPixelIndex(x, y) == 1) == firstIsDark;
                EXPECT_EQ(decoded.GetPixelIndex(x, y), bright ? 1 : 0) << x << "," << y;
            }
    }
}

TEST(WbmpEncode, UnusedBitsOfTheLastByteAreWrittenClear) {
    CxImage image;
    ASSERT_TRUE(DecodeBytes({0, 0, 3, 2, 0xFF, 0x5F}, image));
    std::memset(image.GetBits(0), 0xFF, image.GetRowBytes());  // padding too
    bool ok = false;
    const Bytes file = EncodeBytes(image, ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(file.size(), 6u);
    EXPECT_EQ(file[4], 0xE0);
    EXPECT_EQ(file[5], 0xE0);
}

TEST(WbmpEncode, RefusesWhatItCannotHoldAndWritesNothing) {
    const uint32_t depths[] = {4, 8, 24};
    for (uint32_t bpp : depths) {
        CxImage image(5, 5, bpp);
        bool ok = true;
        const Bytes file = EncodeBytes(image, ok);
        EXPECT_FALSE(ok) << bpp;
        EXPECT_STREQ(image.GetLastError(), "Can't save this image as WBMP");
        EXPECT_TRUE(file.empty());
    }
    CxImage empty;
    bool ok = true;
    EXPECT_TRUE(EncodeBytes(empty, ok).empty());
    EXPECT_FALSE(ok);
    CxImageWBMP codec;
    EXPECT_FALSE(codec.Decode(nullptr));
    EXPECT_FALSE(codec.Encode(nullptr));
}

}  // namespace
