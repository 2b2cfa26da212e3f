// Encoding: the tags and compression chosen by depth, what a loaded file
// keeps, and round trips of every depth the library holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tiff_test_support.h"
#include "ximage/codecs/ximage_tif.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace {

using namespace qlry::test::tiff;

void MakeGrey8(CxImage& image, uint32_t width, uint32_t height) {
    image.Create(width, height, 8);
    FillPattern(image, 3);
    image.SetGrayPalette();
}

TEST(TiffEncode, TwentyFourBitsWriteJpegWithTheQualityAndWholeBlocksOfRows) {
    CxImage image(300, 100, 24);
    FillPattern(image, 1);
    image.SetJpegQuality(63);
    const auto file = EncodeBytes(image, CXIMAGE_FORMAT_TIF);
    const WrittenPage page = ReadPageTags(file);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.compression, COMPRESSION_JPEG);
    EXPECT_EQ(page.photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(page.samples, 3);
    EXPECT_EQ(page.bitsPerSample, 8);
    EXPECT_EQ(page.rowsPerStrip % 8, 0u);
    // The quality is no tag of the file: it shows in the size.
    image.SetJpegQuality(95);
    EXPECT_LT(file.size() * 5 / 4, EncodeBytes(image, CXIMAGE_FORMAT_TIF).size());
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_TIF)) << back.GetLastError();
    EXPECT_EQ(back.GetBpp(), 24u);
}

TEST(TiffEncode, GreyRampsWriteMinIsBlackLzwWithPredictor) {
    CxImage grey;
    MakeGrey8(grey, 40, 30);
    const WrittenPage page = ReadPageTags(EncodeBytes(grey, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(page.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(page.compression, COMPRESSION_LZW);
    EXPECT_EQ(page.predictor, PREDICTOR_HORIZONTAL);
    EXPECT_TRUE(page.colormapRed.empty());

    // 4 bits: MinIsBlack means steps of 17, which is what a grey 4-bit image holds.
    CxImage four(9, 4, 4);
    four.SetGrayPalette();
    const WrittenPage fourPage = ReadPageTags(EncodeBytes(four, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(fourPage.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(fourPage.predictor, 1);  // below 8 bits there is no predictor
    // The identity ramp at 4 bits is sixteen dark greys: a palette keeps them dark.
    for (uint8_t i = 0; i < 16; ++i) four.SetPaletteColor(i, i, i, i);
    FillPattern(four, 2);
    const auto darkFile = EncodeBytes(four, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(darkFile).photometric, PHOTOMETRIC_PALETTE);
    CxImage dark;
    ASSERT_TRUE(DecodeBytes(darkFile, dark, CXIMAGE_FORMAT_TIF));
    EXPECT_TRUE(SamePicture(dark, four));
}

TEST(TiffEncode, OtherPalettesWriteAColorMap) {
    CxImage image;
    MakeGrey8(image, 16, 4);
    image.SetPaletteColor(7, 255, 128, 1);
    const auto file = EncodeBytes(image, CXIMAGE_FORMAT_TIF);
    const WrittenPage page = ReadPageTags(file);
    EXPECT_EQ(page.photometric, PHOTOMETRIC_PALETTE);
    ASSERT_EQ(page.colormapRed.size(), 256u);
    EXPECT_EQ(page.colormapRed[7], 65535);
    EXPECT_EQ(page.colormapRed[1], 257);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_TIF));
    EXPECT_TRUE(SamePicture(back, image));
}

TEST(TiffEncode, BilevelIsMinIsWhiteGroup4WithTheImageLeftAsItWas) {
    CxImage image(21, 5, 1);
    image.SetPaletteColor(0, 0, 0, 0);
    image.SetPaletteColor(1, 255, 255, 255);
    FillPattern(image, 9);
    CxImage before(image, true, false, false);
    const auto file = EncodeBytes(image, CXIMAGE_FORMAT_TIF);
    const WrittenPage page = ReadPageTags(file);
    EXPECT_EQ(page.photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(page.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(image.GetPaletteColor(0), before.GetPaletteColor(0));
    EXPECT_EQ(std::memcmp(image.GetBits(0), before.GetBits(0), before.GetHeader().biSizeImage), 0);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_TIF)) << back.GetLastError();
    EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 255);  // white first, bits inverted
    EXPECT_EQ(back.GetBits(0)[0], static_cast<uint8_t>(~image.GetBits(0)[0]));
    EXPECT_TRUE(SamePicture(back, image));
}

TEST(TiffEncode, ResolutionIsWrittenInInches) {
    CxImage image;
    MakeGrey8(image, 3, 3);
    image.SetXDpi(300);
    image.SetYDpi(150);
    const WrittenPage page = ReadPageTags(EncodeBytes(image, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(page.resolutionUnit, RESUNIT_INCH);
    EXPECT_FLOAT_EQ(page.xResolution, 300);
    EXPECT_FLOAT_EQ(page.yResolution, 150);
}

TEST(TiffEncode, LoadedCompressionIsKeptWhenItFitsTheDepth) {
    CxImage grey;
    MakeGrey8(grey, 30, 20);
    grey.SetCodecOption(COMPRESSION_PACKBITS, CXIMAGE_FORMAT_TIF);
    const auto packbits = EncodeBytes(grey, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(packbits).compression, COMPRESSION_PACKBITS);

    // LZW read from a file is LZW again when the same image is saved.
    CxImage colour(30, 20, 24);
    FillPattern(colour, 4);
    colour.SetCodecOption(COMPRESSION_LZW, CXIMAGE_FORMAT_TIF);
    CxImage loaded;
    ASSERT_TRUE(DecodeBytes(EncodeBytes(colour, CXIMAGE_FORMAT_TIF), loaded, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(loaded.GetCodecOption(CXIMAGE_FORMAT_TIF), uint32_t{COMPRESSION_LZW});
    const auto again = EncodeBytes(loaded, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(again).compression, COMPRESSION_LZW);
    EXPECT_EQ(ReadPageTags(again).predictor, PREDICTOR_HORIZONTAL);

    // Codes that cannot write this depth fall back to the depth's own.
    grey.SetCodecOption(COMPRESSION_CCITTFAX4, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(EncodeBytes(grey, CXIMAGE_FORMAT_TIF)).compression, COMPRESSION_LZW);
    colour.SetCodecOption(COMPRESSION_OJPEG, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(EncodeBytes(colour, CXIMAGE_FORMAT_TIF)).compression, COMPRESSION_JPEG);
}

TEST(TiffEncode, EveryDepthRoundTrips) {
    struct Case {
        uint32_t bits;
        bool alpha;
        uint16_t samples, photometric;
    };
    for (const Case c : {Case{1, false, 1, PHOTOMETRIC_MINISWHITE}, Case{4, false, 1, PHOTOMETRIC_PALETTE},
                         Case{8, false, 1, PHOTOMETRIC_PALETTE}, Case{24, false, 3, PHOTOMETRIC_RGB},
                         Case{24, true, 4, PHOTOMETRIC_RGB}, Case{8, true, 2, PHOTOMETRIC_PALETTE}}) {
        SCOPED_TRACE(testing::Message() << c.bits << (c.alpha ? "+alpha" : ""));
        CxImage image(67, 23, c.bits);
        FillPattern(image, c.bits);
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i * 7));
        if (c.bits == 1) {
            image.SetPaletteColor(0, 255, 255, 255);
            image.SetPaletteColor(1, 0, 0, 0);
        }
        if (c.alpha) {
            image.AlphaCreate();
            for (uint32_t y = 0; y < 23; ++y)
                for (uint32_t x = 0; x < 67; ++x) image.AlphaSet(x, y, static_cast<uint8_t>(x * 3 + y));
        }
        image.SetCodecOption(c.bits == 24 ? COMPRESSION_LZW : 0, CXIMAGE_FORMAT_TIF);  // lossless for the check
        const auto file = EncodeBytes(image, CXIMAGE_FORMAT_TIF);
        const WrittenPage page = ReadPageTags(file);
        EXPECT_EQ(page.samples, c.samples);
        EXPECT_EQ(page.photometric, c.photometric);
        EXPECT_EQ(page.extraSamples, c.alpha ? EXTRASAMPLE_UNASSALPHA : 0);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_TIF)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), c.bits);
        EXPECT_EQ(back.AlphaIsValid(), c.alpha);
        EXPECT_TRUE(SamePicture(back, image));
    }
    // JPEG is lossy: close, not equal.
    CxImage smooth(64, 32, 24);
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            smooth.SetPixelColor(x, y, CxRgbQuad{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 8), 128, 0});
    CxImage back;
    ASSERT_TRUE(DecodeBytes(EncodeBytes(smooth, CXIMAGE_FORMAT_TIF), back, CXIMAGE_FORMAT_TIF));
    EXPECT_LT(qlry::test::MaxDifference(smooth, back), 24);

    // With an alpha plane the JPEG page has four samples, alpha included.
    smooth.AlphaCreate();
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 64; ++x) smooth.AlphaSet(x, y, static_cast<uint8_t>(x * 4));
    const auto withAlpha = EncodeBytes(smooth, CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(ReadPageTags(withAlpha).compression, COMPRESSION_JPEG);
    CxImage alphaBack;
    ASSERT_TRUE(DecodeBytes(withAlpha, alphaBack, CXIMAGE_FORMAT_TIF)) << alphaBack.GetLastError();
    ASSERT_TRUE(alphaBack.AlphaIsValid());
    int worstAlpha = 0;
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            worstAlpha = std::max(worstAlpha, std::abs(smooth.AlphaGet(x, y) - alphaBack.AlphaGet(x, y)));
    EXPECT_LT(worstAlpha, 24);
}

TEST(TiffEncode, RefusalsHaveTheirTexts) {
    CxImage empty;
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    CxImageTIF codec;
    EXPECT_FALSE(codec.Encode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "null image!!!");
    CxImage image;
    MakeGrey8(image, 2, 2);
    CxImageTIF view;
    view.BorrowFrom(&image);
    EXPECT_FALSE(view.Encode(nullptr));
    EXPECT_STREQ(view.GetLastError(), "null file handler");
    EXPECT_TRUE(view.Encode(&stream));
}

}  // namespace
