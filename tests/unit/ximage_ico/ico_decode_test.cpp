// The ICO decoder on icons built in the test: header and directory checks,
// frame selection, every depth, the mask rules that turn the 1-bit mask into
// a transparent colour, a transparent index or an alpha plane, PNG entries,
// and files cut short or pointing outside themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ico_test_support.h"
#include "support/codec_test_support.h"
#include "ximage/codecs/ximage_ico.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::ico;
using qlry::test::DecodeBytes;

// A 16-entry palette whose entry i is blue i, green 255 - 16 i, red 16 i.
Bytes Palette16() {
    Bytes p;
    for (uint32_t i = 0; i < 16; ++i) p.insert(p.end(), {uint8_t(i), uint8_t(255 - i * 16), uint8_t(i * 16), 0});
    return p;
}

// Mask rows with the given pixels set (x, y bottom-up).
Bytes Mask(uint32_t width, uint32_t height, const std::vector<std::pair<uint32_t, uint32_t>>& set) {
    Bytes mask(size_t{MaskRowBytes(width)} * height, 0);
    for (auto [x, y] : set) mask[y * MaskRowBytes(width) + x / 8] |= uint8_t(0x80 >> (x % 8));
    return mask;
}

// 4-bit rows where pixel (x, y) has index (x + y) % colours.
Bytes Rows4(uint32_t width, uint32_t height, uint32_t colours) {
    Bytes rows(size_t{RowBytes(width, 4)} * height, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t v = uint8_t((x + y) % colours);
            rows[y * RowBytes(width, 4) + x / 2] |= x % 2 ? v : uint8_t(v << 4);
        }
    return rows;
}

// 24-bit rows with a colour per pixel.
Bytes Rows24(uint32_t width, uint32_t height) {
    Bytes rows(size_t{RowBytes(width, 24)} * height, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &rows[y * RowBytes(width, 24) + 3 * x];
            p[0] = uint8_t(10 + x);
            p[1] = uint8_t(20 + y);
            p[2] = uint8_t(x * y);
        }
    return rows;
}

TEST(IcoDecode, HeaderTypeAndReservedAreChecked) {
    const IconImage one = BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 16), Mask(16, 16, {}));
    for (auto [type, reserved] : {std::pair{3, 0}, std::pair{0, 0}, std::pair{1, 1}}) {
        CxImage image;
        image.SetLastErrorText("before");
        EXPECT_FALSE(DecodeBytes(IconFile({one}, uint16_t(type), uint16_t(reserved)), image, CXIMAGE_FORMAT_ICO))
            << type << "/" << reserved;
        EXPECT_FALSE(image.IsValid());
        EXPECT_STREQ(image.GetLastError(), "before");  // the decoder writes no text
    }
    CxImage cursor;
    ASSERT_TRUE(DecodeBytes(IconFile({one}, 2), cursor, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(cursor.GetType(), uint32_t{CXIMAGE_FORMAT_ICO});
}

TEST(IcoDecode, FrameSelectsTheImageAndNumFramesCountsThem) {
    const Bytes file = IconFile({BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 16), Mask(16, 16, {})),
                                 BitmapImage(8, 8, 24, {}, Rows24(8, 8), Mask(8, 8, {})),
                                 BitmapImage(4, 2, 24, {}, Rows24(4, 2), Mask(4, 2, {}))});
    CxImage third;
    third.SetFrame(2);
    ASSERT_TRUE(DecodeBytes(file, third, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(third.GetWidth(), 4u);
    EXPECT_EQ(third.GetHeight(), 2u);
    EXPECT_EQ(third.GetNumFrames(), 3);
    EXPECT_EQ(third.GetPixelColor(3, 1).rgbBlue, 13);

    CxImage past(2, 2, 8);
    past.SetFrame(3);
    EXPECT_FALSE(DecodeBytes(file, past, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(past.GetNumFrames(), 3);  // handed back by the dispatch
    EXPECT_EQ(past.GetWidth(), 2u);     // the caller's image is untouched
    CxImage negative;
    negative.SetFrame(-1);
    EXPECT_FALSE(DecodeBytes(file, negative, CXIMAGE_FORMAT_ICO));
}

TEST(IcoDecode, FourBitCornerMaskTakesTheLowestUnusedIndex) {
    // Indices 0, 1 and 2 are used; 3 is the lowest free one.
    const Bytes file = IconFile({BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 3),
                                             Mask(16, 16, {{0, 0}, {15, 0}, {0, 15}, {15, 15}}))});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetBpp(), 4u);
    EXPECT_EQ(image.GetTransIndex(), 3);
    EXPECT_FALSE(image.AlphaIsValid());
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const bool corner = (x == 0 || x == 15) && (y == 0 || y == 15);
            EXPECT_EQ(image.GetPixelIndex(x, y), corner ? 3 : (x + y) % 3) << x << "," << y;
        }
    EXPECT_EQ(image.GetPaletteColor(5), (CxRgbQuad{5, 255 - 80, 80, 0}));
}

TEST(IcoDecode, EveryIndexInUseKeepsTheAlphaPlane) {
    const Bytes file = IconFile({BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 16), Mask(16, 16, {{2, 3}}))});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetTransIndex(), -1);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(2, 3), 0);
    EXPECT_EQ(image.AlphaGet(3, 2), 255);
    EXPECT_EQ(image.GetPixelIndex(2, 3), 5);  // the pixel keeps its colour
}

TEST(IcoDecode, NoMaskedPixelMeansNoTransparency) {
    CxImage image;
    ASSERT_TRUE(
        DecodeBytes(IconFile({BitmapImage(8, 8, 24, {}, Rows24(8, 8), Mask(8, 8, {}))}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(image.GetTransIndex(), -1);
    EXPECT_EQ(image.GetPixelColor(7, 5, false), (CxRgbQuad{17, 25, 35, 0}));
}

TEST(IcoDecode, TwentyFourBitMaskOfOneColourBecomesTheTransparentColour) {
    Bytes rows = Rows24(16, 16);
    const std::vector<std::pair<uint32_t, uint32_t>> masked = {{1, 1}, {2, 1}, {9, 14}};
    for (auto [x, y] : masked) std::memset(&rows[y * RowBytes(16, 24) + 3 * x], 0, 3);
    CxImage image;
    ASSERT_TRUE(
        DecodeBytes(IconFile({BitmapImage(16, 16, 24, {}, rows, Mask(16, 16, masked))}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetTransIndex(), 0);
    EXPECT_EQ(image.GetTransColor(), (CxRgbQuad{0, 0, 0, 0}));
    EXPECT_FALSE(image.AlphaIsValid());

    // Masked pixels of different colours: an alpha plane with 0 there.
    CxImage mixed;
    ASSERT_TRUE(DecodeBytes(IconFile({BitmapImage(16, 16, 24, {}, Rows24(16, 16), Mask(16, 16, masked))}), mixed,
                            CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(mixed.GetTransIndex(), -1);
    ASSERT_TRUE(mixed.AlphaIsValid());
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const bool m = (x == 1 && y == 1) || (x == 2 && y == 1) || (x == 9 && y == 14);
            ASSERT_EQ(mixed.AlphaGet(x, y), m ? 0 : 255) << x << "," << y;
        }
}

Bytes Pixels32(uint32_t width, uint32_t height, uint8_t alphaBase) {
    Bytes px;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            px.insert(px.end(), {uint8_t(x), uint8_t(y), uint8_t(x + y), uint8_t(alphaBase ? alphaBase + x : 0)});
    return px;
}

TEST(IcoDecode, ThirtyTwoBitsGiveTwentyFourBitsAndAnAlphaPlane) {
    const Bytes file = IconFile({BitmapImage(5, 3, 32, {}, Pixels32(5, 3, 100), Mask(5, 3, {{1, 1}}))});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetBpp(), 24u);
    ASSERT_TRUE(image.AlphaIsValid());
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(image.GetPixelColor(x, y, false), (CxRgbQuad{uint8_t(x), uint8_t(y), uint8_t(x + y), 0}));
            EXPECT_EQ(image.AlphaGet(x, y), (x == 1 && y == 1) ? 0 : 100 + x) << x << "," << y;
        }
}

TEST(IcoDecode, ThirtyTwoBitsWithTheStandardBitfieldsDecodeAsWindowsWritesThem) {
    // BI_BITFIELDS, the three masks after the header; other masks are refused.
    IconImage img = BitmapImage(5, 3, 32, {}, Pixels32(5, 3, 100), Mask(5, 3, {{1, 1}}));
    img.data[16] = 3;
    const Bytes masks{0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    img.data.insert(img.data.begin() + 40, masks.begin(), masks.end());
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({img}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetPixelColor(4, 2, false), (CxRgbQuad{4, 2, 6, 0}));
    EXPECT_EQ(image.AlphaGet(4, 2), 104);
    EXPECT_EQ(image.AlphaGet(1, 1), 0);
    img.data[40] = 0xFF;  // red mask 0x00FF00FF
    CxImage other;
    EXPECT_FALSE(DecodeBytes(IconFile({img}), other, CXIMAGE_FORMAT_ICO));
}

TEST(IcoDecode, ThirtyTwoBitsWithoutAlphaAreOpaqueUnderTheirMask) {
    // Old tools leave the fourth byte 0: the picture is opaque but for the mask.
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({BitmapImage(5, 3, 32, {}, Pixels32(5, 3, 0), Mask(5, 3, {{4, 2}}))}), image,
                            CXIMAGE_FORMAT_ICO));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, 0), 255);
    EXPECT_EQ(image.AlphaGet(4, 2), 0);
}

TEST(IcoDecode, ThirtyTwoBitAlphaWinsOverAnAllSetMask) {
    Bytes mask(size_t{MaskRowBytes(5)} * 3, 0xFF);
    CxImage image;
    ASSERT_TRUE(
        DecodeBytes(IconFile({BitmapImage(5, 3, 32, {}, Pixels32(5, 3, 50), mask)}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetPixelColor(2, 1, false), (CxRgbQuad{2, 1, 3, 0}));  // not inverted
    EXPECT_EQ(image.AlphaGet(2, 1), 52);
}

TEST(IcoDecode, AllSetMaskMeansTransparentIndexZeroAndNegative) {
    Bytes mask(size_t{MaskRowBytes(16)} * 16, 0xFF);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 16), mask)}), image,
                            CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetTransIndex(), 0);
    EXPECT_FALSE(image.AlphaIsValid());
    const CxRgbQuad c = image.GetPaletteColor(1);
    EXPECT_EQ(c.rgbBlue, 254);
    EXPECT_EQ(c.rgbGreen, 16);
    EXPECT_EQ(c.rgbRed, 239);
}

TEST(IcoDecode, SixteenBitRowsAreWidenedNotMisread) {
    // 3 x 2 pixels, 5-5-5: each row is 6 bytes plus 2 of padding.
    const uint16_t values[6] = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x4210};
    Bytes rows;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) Put16(rows, values[3 * y + x]);
        Put16(rows, 0);
    }
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({BitmapImage(3, 2, 16, {}, rows, Mask(3, 2, {}))}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetBpp(), 24u);
    // Five bits widen as the BMP codec widens them: shifted up by three.
    EXPECT_EQ(image.GetPixelColor(0, 0, false), (CxRgbQuad{0, 0, 0xF8, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{0, 0xF8, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(2, 0, false), (CxRgbQuad{0xF8, 0, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(0, 1, false), (CxRgbQuad{0xF8, 0xF8, 0xF8, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 1, false), (CxRgbQuad{0, 0, 0, 0}));
}

TEST(IcoDecode, UnknownDepthsAndCompressionsFailCleanly) {
    for (uint16_t bpp : {0, 2, 7, 48}) {
        IconImage img = BitmapImage(4, 4, 8, Bytes(1024, 0), Bytes(16, 1), Mask(4, 4, {}));
        img.data[14] = uint8_t(bpp);
        CxImage image;
        EXPECT_FALSE(DecodeBytes(IconFile({img}), image, CXIMAGE_FORMAT_ICO)) << bpp;
    }
    IconImage rle = BitmapImage(4, 4, 8, Bytes(1024, 0), Bytes(16, 1), Mask(4, 4, {}));
    rle.data[16] = 1;  // BI_RLE8
    CxImage image;
    EXPECT_FALSE(DecodeBytes(IconFile({rle}), image, CXIMAGE_FORMAT_ICO));
}

TEST(IcoDecode, LongerInfoHeadersPutThePaletteAfterThem) {
    IconImage img;
    img.entryWidth = 2;
    img.entryHeight = 1;
    img.data = InfoHeader(2, 1, 1, 0, 124);
    img.data.insert(img.data.end(), {9, 8, 7, 0, 1, 2, 3, 0});   // palette
    img.data.insert(img.data.end(), {0x40, 0, 0, 0});            // pixel 1 = index 1
    img.data.insert(img.data.end(), {0, 0, 0, 0});               // mask
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({img}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetPaletteColor(0), (CxRgbQuad{9, 8, 7, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (CxRgbQuad{1, 2, 3, 0}));
}

TEST(IcoDecode, ZeroSizeBytesMean256) {
    IconImage img = BitmapImage(256, 256, 1, {0, 0, 0, 0, 255, 255, 255, 0}, Bytes(32 * 256, 0x0F),
                                Mask(256, 256, {}));
    ASSERT_EQ(img.entryWidth, 0);  // 256 does not fit the byte
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({img}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetWidth(), 256u);
    EXPECT_EQ(image.GetHeight(), 256u);
    EXPECT_EQ(image.GetPixelIndex(255, 100), 1);
}

TEST(IcoDecode, AnInfoHeaderThatDisagreesWithTheEntryLaysOutTheRows) {
    IconImage img = BitmapImage(8, 4, 24, {}, Rows24(8, 4), Mask(8, 4, {}));
    img.entryWidth = 16;
    img.entryHeight = 16;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(IconFile({img}), image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetWidth(), 8u);
    EXPECT_EQ(image.GetHeight(), 4u);
    EXPECT_EQ(image.GetPixelColor(7, 3, false), (CxRgbQuad{17, 23, 21, 0}));
}

// A PNG file of a 24-bit picture with alpha, from our own encoder.
Bytes PngOf(uint32_t width, uint32_t height) {
    CxImage picture;
    picture.Create(width, height, 24);
    picture.AlphaCreate();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            picture.SetPixelColor(x, y, CxRgbQuad{uint8_t(x), uint8_t(y), 77, 0});
            picture.AlphaSet(x, y, uint8_t(x * 4));
        }
    return qlry::test::EncodeBytes(picture, CXIMAGE_FORMAT_PNG);
}

TEST(IcoDecode, PngEntriesAreDecodedWithTheirAlpha) {
    IconImage png;
    png.data = PngOf(40, 30);  // entry bytes 0: the PNG gives the size
    const Bytes file = IconFile({BitmapImage(4, 2, 24, {}, Rows24(4, 2), Mask(4, 2, {})), png});
    CxImage image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_ICO)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_ICO});
    EXPECT_EQ(image.GetNumFrames(), 2);
    EXPECT_EQ(image.GetFrame(), 1);
    EXPECT_EQ(image.GetWidth(), 40u);
    EXPECT_EQ(image.GetHeight(), 30u);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(10, 3), 40);
    EXPECT_EQ(image.GetPixelColor(10, 3, false), (CxRgbQuad{10, 3, 77, 0}));

    // A resource size that claims more than the file holds: the slice ends with the file.
    png.resourceBytes = 0x7FFFFFFF;
    CxImage claimed;
    ASSERT_TRUE(DecodeBytes(IconFile({png}), claimed, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(claimed.GetWidth(), 40u);
    // A cut PNG fails.
    Bytes cut = IconFile({png});
    cut.resize(cut.size() - 30);
    CxImage broken;
    EXPECT_FALSE(DecodeBytes(cut, broken, CXIMAGE_FORMAT_ICO));
}

TEST(IcoDecode, OffsetsAndSizesOutsideTheFileFail) {
    const IconImage good = BitmapImage(8, 8, 24, {}, Rows24(8, 8), Mask(8, 8, {}));
    Bytes file = IconFile({good});
    for (uint32_t offset : {uint32_t(file.size()), uint32_t(file.size() - 4), 0xFFFFFFF0u}) {
        Bytes bad = file;
        bad[18] = uint8_t(offset);
        bad[19] = uint8_t(offset >> 8);
        bad[20] = uint8_t(offset >> 16);
        bad[21] = uint8_t(offset >> 24);
        CxImage image;
        EXPECT_FALSE(DecodeBytes(bad, image, CXIMAGE_FORMAT_ICO)) << offset;
    }
    // A directory longer than the file.
    Bytes many = file;
    many[4] = 40;
    CxImage image;
    EXPECT_FALSE(DecodeBytes(many, image, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(image.GetNumFrames(), 40);
    // A header that claims a huge picture is refused before anything is allocated.
    IconImage huge = good;
    huge.data[4] = 0xFF;
    huge.data[5] = 0xFF;
    huge.data[8] = 0xFE;
    huge.data[9] = 0xFF;
    CxImage big;
    EXPECT_FALSE(DecodeBytes(IconFile({huge}), big, CXIMAGE_FORMAT_ICO));
}

TEST(IcoDecode, ShortMaskFinishesAndShortColourFails) {
    const Bytes file = IconFile({BitmapImage(8, 8, 24, {}, Rows24(8, 8), Mask(8, 8, {{1, 1}}))});
    const size_t maskStart = file.size() - 8 * 4;
    const auto everyLength = qlry::test::TruncationLengths(file.size(), file.size(), 0);
    qlry::test::ForEachTruncation(file, everyLength, CXIMAGE_FORMAT_ICO, [&](bool ok, CxImage& image, size_t cut) {
        ASSERT_EQ(ok, cut >= maskStart);
        if (ok) {
            EXPECT_EQ(image.GetTransIndex(), -1);  // the mask was never applied
            EXPECT_EQ(image.GetPixelColor(7, 7, false), (CxRgbQuad{17, 27, 49, 0}));
        }
    });
    CxImage whole;
    ASSERT_TRUE(DecodeBytes(file, whole, CXIMAGE_FORMAT_ICO));
    EXPECT_EQ(whole.GetTransIndex(), 0);
    EXPECT_EQ(whole.GetTransColor(), (CxRgbQuad{11, 21, 1, 0}));
}

TEST(IcoDecode, DetectionFindsAnIconUnderAnyName) {
    const Bytes file = IconFile({BitmapImage(16, 16, 4, Palette16(), Rows4(16, 16, 3), Mask(16, 16, {{0, 0}}))});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_ICO});
    EXPECT_EQ(image.GetTransIndex(), 3);
}

}  // namespace
