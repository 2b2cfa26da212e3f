// The ICO encoder: the exact layout of a one-image icon, the mask built from
// a transparent index, the palette's alpha or the alpha plane, 32-bit output
// for 24 bits with alpha, the size limit, and decoding what was written.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ico_test_support.h"
#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::ico;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;

bool MaskBitAt(const Bytes& file, size_t maskStart, uint32_t width, uint32_t x, uint32_t y) {
    return (file[maskStart + y * MaskRowBytes(width) + x / 8] & (0x80 >> (x % 8))) != 0;
}

TEST(IcoEncode, EightBitWithTransparentIndexWritesTheDocumentedLayout) {
    CxImage image;
    ASSERT_NE(image.Create(32, 32, 8), nullptr);
    for (uint32_t i = 0; i < 256; ++i) image.SetPaletteColor(uint8_t(i), uint8_t(i), uint8_t(255 - i), uint8_t(i / 2));
    image.SetPaletteColor(9, 5, 250, 2);  // the same colour as entry 5 under another index
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) image.SetPixelIndex(x, y, uint8_t((x * 7 + y * 3) % 11));
    image.SetTransIndex(5);

    bool ok = false;
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_ICO, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(file.size(), 22u + 40 + 1024 + 1024 + 128);
    EXPECT_EQ(Get16(file, 0), 0u);
    EXPECT_EQ(Get16(file, 2), 1u);
    EXPECT_EQ(Get16(file, 4), 1u);
    EXPECT_EQ(file[6], 32);
    EXPECT_EQ(file[7], 32);
    EXPECT_EQ(file[8], 0);          // 256 colours wrap to 0
    EXPECT_EQ(Get16(file, 10), 0u);  // planes
    EXPECT_EQ(Get16(file, 12), 8u);
    EXPECT_EQ(Get32(file, 14), 2216u);
    EXPECT_EQ(Get32(file, 18), 22u);
    EXPECT_EQ(Get32(file, 22), 40u);
    EXPECT_EQ(Get32(file, 26), 32u);
    EXPECT_EQ(Get32(file, 30), 64u);
    EXPECT_EQ(Get16(file, 34), 1u);
    EXPECT_EQ(Get16(file, 36), 8u);
    EXPECT_EQ(Get32(file, 38), 0u);
    EXPECT_EQ(Get32(file, 42), 1024u);
    for (size_t at = 46; at < 62; ++at) EXPECT_EQ(file[at], 0) << at;
    EXPECT_EQ(file[62 + 4 * 200 + 1], 55);  // palette entry 200, green
    EXPECT_EQ(file[62 + 1024 + 32 * 3 + 4], (4 * 7 + 3 * 3) % 11);

    const size_t maskStart = 62 + 1024 + 1024;
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
            const uint8_t index = uint8_t((x * 7 + y * 3) % 11);
            ASSERT_EQ(MaskBitAt(file, maskStart, 32, x, y), index == 5 || index == 9) << x << "," << y;
        }

    // Decoding gives the pixels back, the masked ones on a free index.
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(back.GetBpp(), 8u);
    EXPECT_EQ(back.GetTransIndex(), 11);  // indices 0..10 are in use
    EXPECT_EQ(back.GetPixelIndex(3, 4), (3 * 7 + 4 * 3) % 11);
}

TEST(IcoEncode, TwentyFourBitsWithAlphaAreWrittenAsThirtyTwo) {
    CxImage image;
    ASSERT_NE(image.Create(7, 3, 24), nullptr);
    image.AlphaCreate();
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            image.SetPixelColor(x, y, CxRgbQuad{uint8_t(x), uint8_t(y), 200, 0});
            image.AlphaSet(x, y, uint8_t(x == y ? 0 : 30 * x + 1));
        }
    bool ok = false;
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_ICO, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(Get16(file, 12), 32u);
    EXPECT_EQ(Get16(file, 36), 32u);
    EXPECT_EQ(Get32(file, 42), 7u * 3 * 4);
    const size_t pixels = 62;
    EXPECT_EQ(file[pixels + 4 * (7 * 2 + 5) + 0], 5);
    EXPECT_EQ(file[pixels + 4 * (7 * 2 + 5) + 2], 200);
    EXPECT_EQ(file[pixels + 4 * (7 * 2 + 5) + 3], 151);
    const size_t maskStart = pixels + 7 * 3 * 4;
    ASSERT_EQ(file.size(), maskStart + 3 * 4);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(MaskBitAt(file, maskStart, 7, x, y), x == y);

    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_ICO));
    ASSERT_TRUE(back.AlphaIsValid());
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            EXPECT_EQ(back.AlphaGet(x, y), image.AlphaGet(x, y));
            EXPECT_EQ(back.GetPixelColor(x, y, false), image.GetPixelColor(x, y, false));
        }
}

TEST(IcoEncode, TransparentColourAndPaletteAlphaSetTheMask) {
    CxImage rgb;
    ASSERT_NE(rgb.Create(9, 2, 24), nullptr);
    rgb.SetPixelColor(4, 1, CxRgbQuad{1, 2, 3, 0});
    rgb.SetTransColor(CxRgbQuad{1, 2, 3, 0});
    rgb.SetTransIndex(0);
    bool ok = false;
    const Bytes file = EncodeBytes(rgb, CXIMAGE_FORMAT_ICO, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(Get16(file, 12), 24u);
    const size_t maskStart = 62 + RowBytes(9, 24) * 2;
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(MaskBitAt(file, maskStart, 9, x, y), x == 4 && y == 1);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(back.GetTransColor(), (CxRgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(back.GetTransIndex(), 0);

    // A palette with alpha: entries of alpha 0 are masked.
    CxImage pal;
    ASSERT_NE(pal.Create(4, 1, 1), nullptr);
    pal.SetPaletteColor(0, 0, 0, 0, 0);
    pal.SetPaletteColor(1, 255, 255, 255, 200);
    pal.SetPixelIndex(1, 0, 1);
    pal.SetPixelIndex(3, 0, 1);
    const Bytes palFile = EncodeBytes(pal, CXIMAGE_FORMAT_ICO, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(palFile[8], 2);  // colour count
    const size_t palMask = 62 + 8 + 4;
    EXPECT_EQ(palFile[palMask], 0xA0);  // pixels 0 and 2
}

TEST(IcoEncode, IconsOf256PixelsOrMoreAreRefused) {
    for (auto [w, h] : {std::pair{256u, 16u}, std::pair{16u, 256u}, std::pair{300u, 300u}}) {
        CxImage image;
        ASSERT_NE(image.Create(w, h, 24), nullptr);
        bool ok = true;
        EXPECT_TRUE(EncodeBytes(image, CXIMAGE_FORMAT_ICO, &ok).empty());
        EXPECT_FALSE(ok);
        EXPECT_STREQ(image.GetLastError(), "Can't save this image as icon");
    }
    CxImage largest;
    ASSERT_NE(largest.Create(255, 255, 4), nullptr);
    bool ok = false;
    const Bytes file = EncodeBytes(largest, CXIMAGE_FORMAT_ICO, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(file[6], 255);
    CxImage empty;
    EXPECT_TRUE(EncodeBytes(empty, CXIMAGE_FORMAT_ICO, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(IcoEncode, EveryDepthRoundTrips) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CxImage image;
        ASSERT_NE(image.Create(19, 13, bpp), nullptr);
        const uint32_t colours = bpp == 24 ? 256 : 1u << bpp;
        for (uint32_t i = 0; bpp < 24 && i < colours; ++i) image.SetPaletteColor(uint8_t(i), uint8_t(i * 3), 9, 200);
        for (uint32_t y = 0; y < 13; ++y)
            for (uint32_t x = 0; x < 19; ++x) {
                if (bpp == 24) image.SetPixelColor(x, y, CxRgbQuad{uint8_t(x), uint8_t(y), 7, 0});
                else image.SetPixelIndex(x, y, uint8_t((x + y) % colours));
            }
        bool ok = false;
        const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_ICO, &ok);
        ASSERT_TRUE(ok) << bpp;
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_ICO)) << bpp;
        ASSERT_EQ(back.GetBpp(), bpp);
        EXPECT_FALSE(back.AlphaIsValid());
        for (uint32_t y = 0; y < 13; ++y)
            for (uint32_t x = 0; x < 19; ++x)
                ASSERT_EQ(back.GetPixelColor(x, y), image.GetPixelColor(x, y)) << bpp << ":" << x << "," << y;
    }
}

}  // namespace
