// Decoding: the layouts of the strips path, the RGBA path and the RGB rows,
// pages, probing, resolution and orientation, on files written by libtiff.
#include <gtest/gtest.h>

#include <cstring>

#include "support/byte_builder.h"
#include "tiff_test_support.h"
#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_samples.h"
#include "ximage/toolkit/cx_swap_red_blue.h"

namespace {

using namespace qlry::test::tiff;
using qlry::test::Bytes;

std::function<void(TIFF*)> Tags(uint16_t samples, uint16_t bits, uint16_t photometric, uint16_t compression = 1) {
    return [=](TIFF* tif) {
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 3);
    };
}

// The rows of a 24-bit image (top first) as RGB samples.
std::function<std::vector<uint8_t>(uint32_t)> RgbRowsOf(const CxImage& image) {
    return [&image](uint32_t y) {
        std::vector<uint8_t> row(size_t{image.GetWidth()} * 3);
        const uint8_t* bits = image.GetBits(image.GetHeight() - 1 - y);
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            row[3 * x] = bits[3 * x + 2];
            row[3 * x + 1] = bits[3 * x + 1];
            row[3 * x + 2] = bits[3 * x];
        }
        return row;
    };
}

// The rows of an 8-bit image (top first) as they are.
std::function<std::vector<uint8_t>(uint32_t)> IndexRowsOf(const CxImage& image) {
    return [&image](uint32_t y) {
        const uint8_t* bits = image.GetBits(image.GetHeight() - 1 - y);
        return std::vector<uint8_t>(bits, bits + image.GetWidth());
    };
}

TEST(TiffDecode, MinIsWhiteBilevelKeepsItsBitsWithAWhiteFirstEntry) {
    const uint8_t rows[3][2] = {{0xF0, 0x80}, {0x0F, 0x00}, {0xAA, 0x80}};
    const auto file = WriteWithLibtiff({{9, 3, Tags(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4),
                                          [&](uint32_t y) { return std::vector<uint8_t>(rows[y], rows[y] + 2); }}});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 1u);
    EXPECT_EQ(image.GetNumColors(), 2u);
    EXPECT_EQ(image.GetPaletteColor(0), (CxRgbQuad{255, 255, 255, 0}));
    EXPECT_EQ(image.GetPaletteColor(1), (CxRgbQuad{0, 0, 0, 0}));
    for (uint32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(image.GetBits(2 - y)[0], rows[y][0]) << y;
        EXPECT_EQ(image.GetBits(2 - y)[1] & 0x80, rows[y][1]) << y;
    }
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_TIF), uint32_t{COMPRESSION_CCITTFAX4});
}

TEST(TiffDecode, SixteenBitGreyTakesTheHighByteOfEachSample) {
    const auto file = WriteWithLibtiff({{5, 2, Tags(1, 16, PHOTOMETRIC_MINISBLACK), [](uint32_t y) {
                                             std::vector<uint8_t> row(10);
                                             for (uint16_t x = 0; x < 5; ++x) {
                                                 const uint16_t v = static_cast<uint16_t>((x * 50 + y) << 8 | 0x7F);
                                                 std::memcpy(&row[2 * x], &v, 2);
                                             }
                                             return row;
                                         }}});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 8u);
    EXPECT_TRUE(image.IsGrayScale());
    for (uint32_t x = 0; x < 5; ++x) {
        EXPECT_EQ(image.GetPixelIndex(x, 1), x * 50) << x;      // top row
        EXPECT_EQ(image.GetPixelIndex(x, 0), x * 50 + 1) << x;  // bottom row
    }
}

TEST(TiffDecode, GreyAndPaletteDepthsGetTheirPalettes) {
    {   // 4-bit MinIsBlack: steps of 17; MinIsWhite: inverted.
        for (uint16_t photometric : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
            const auto file = WriteWithLibtiff({{4, 1, Tags(1, 4, photometric), [](uint32_t) {
                                                     return std::vector<uint8_t>{0x01, 0xEF};
                                                 }}});
            CxImage image;
            ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
            ASSERT_EQ(image.GetBpp(), 4u);
            const uint8_t first = photometric == PHOTOMETRIC_MINISBLACK ? 17 : 255 - 17;
            EXPECT_EQ(image.GetPaletteColor(1).rgbGreen, first);
            EXPECT_EQ(image.GetPixelIndex(3, 0), 15);
        }
    }
    {   // A 1-bit palette page is a 1-bit image with its two colours.
        uint16_t red[2] = {65535, 0}, green[2] = {0, 0}, blue[2] = {0, 65535};
        auto tags = [&](TIFF* tif) {
            Tags(1, 1, PHOTOMETRIC_PALETTE)(tif);
            TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
        };
        const auto file = WriteWithLibtiff({{10, 1, tags, [](uint32_t) { return std::vector<uint8_t>{0x40, 0x40}; }}});
        CxImage image;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        ASSERT_EQ(image.GetBpp(), 1u);
        EXPECT_EQ(image.GetPixelColor(0, 0), (CxRgbQuad{0, 0, 255, 0}));
        EXPECT_EQ(image.GetPixelColor(1, 0), (CxRgbQuad{255, 0, 0, 0}));
        EXPECT_EQ(image.GetPixelColor(9, 0), (CxRgbQuad{255, 0, 0, 0}));
    }
    {   // 8-bit maps: 16-bit values are scaled, a map of bytes is taken as it is.
        for (const uint16_t top : {uint16_t{65535}, uint16_t{200}}) {
            std::vector<uint16_t> map(256);
            for (int i = 0; i < 256; ++i) map[i] = static_cast<uint16_t>(top * i / 255);
            auto tags = [&](TIFF* tif) {
                Tags(1, 8, PHOTOMETRIC_PALETTE, COMPRESSION_LZW)(tif);
                TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
            };
            const auto file =
                WriteWithLibtiff({{2, 1, tags, [](uint32_t) { return std::vector<uint8_t>{255, 128}; }}});
            CxImage image;
            ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
            EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, top == 65535 ? 255 : 200);
            EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, top == 65535 ? 128 : 200 * 128 / 255);
        }
    }
}

TEST(TiffDecode, AlphaSamplesFillTheAlphaPlane) {
    for (const uint16_t extra : {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_ASSOCALPHA}) {
        auto tags = [&](TIFF* tif) {
            Tags(4, 8, PHOTOMETRIC_RGB, COMPRESSION_LZW)(tif);
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
        };
        const PageSpec page{3, 2, tags, [](uint32_t y) {
                                return std::vector<uint8_t>{static_cast<uint8_t>(10 + y), 20, 30, 40, 50, 60,
                                                            70, 80, 0, 0, 0, 255};
                            }};
        // Strips are read row by row, tiles tile by tile; associated colours
        // are made straight (10 x 255 / 40 = 64, rounded).
        const bool straightened = extra == EXTRASAMPLE_ASSOCALPHA;
        for (const bool tiled : {false, true}) {
            SCOPED_TRACE(tiled ? "tiled" : "strips");
            const auto file = tiled ? WriteTiledWithLibtiff(page, 16, 16) : WriteWithLibtiff({page});
            CxImage image;
            ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
            ASSERT_EQ(image.GetBpp(), 24u);
            ASSERT_TRUE(image.AlphaIsValid());
            EXPECT_EQ(image.AlphaGet(0, 1), 40);
            EXPECT_EQ(image.AlphaGet(1, 1), 80);
            EXPECT_EQ(image.AlphaGet(2, 0), 255);
            EXPECT_EQ(image.GetPixelColor(2, 0, false), (CxRgbQuad{0, 0, 0, 0}));
            EXPECT_EQ(image.GetPixelColor(0, 1, false),
                      straightened ? (CxRgbQuad{191, 128, 64, 0}) : (CxRgbQuad{30, 20, 10, 0}));
            EXPECT_EQ(image.GetPixelColor(0, 0, false),
                      straightened ? (CxRgbQuad{191, 128, 70, 0}) : (CxRgbQuad{30, 20, 11, 0}));
        }
    }
    {   // Grey and alpha: the first sample indexes the grey palette.
        const auto file = WriteWithLibtiff({{2, 1, Tags(2, 8, PHOTOMETRIC_MINISBLACK), [](uint32_t) {
                                                 return std::vector<uint8_t>{9, 100, 200, 7};
                                             }}});
        CxImage image;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        ASSERT_EQ(image.GetBpp(), 8u);
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(image.GetPixelIndex(0, 0), 9);
        EXPECT_EQ(image.AlphaGet(0, 0), 100);
        EXPECT_EQ(image.GetPixelIndex(1, 0), 200);
        EXPECT_EQ(image.AlphaGet(1, 0), 7);
    }
}

TEST(TiffDecode, UnassociatedAlphaStaysStraightAtEightAndSixteenBits) {
    // Red 200, green 100, blue 50 at half opacity; libtiff's RGBA reader
    // (which takes the 16-bit page) would premultiply it.
    const auto page = [](uint16_t bits) {
        return PageSpec{1, 1,
                        [bits](TIFF* tif) {
                            Tags(4, bits, PHOTOMETRIC_RGB)(tif);
                            const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
                            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
                        },
                        [bits](uint32_t) {
                            return bits == 8 ? std::vector<uint8_t>{200, 100, 50, 128}
                                             : std::vector<uint8_t>{200, 200, 100, 100, 50, 50, 128, 128};
                        }};
    };
    CxImage eight, sixteen;
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page(8)}), eight, CXIMAGE_FORMAT_TIF)) << eight.GetLastError();
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page(16)}), sixteen, CXIMAGE_FORMAT_TIF)) << sixteen.GetLastError();
    EXPECT_EQ(eight.GetPixelColor(0, 0, false), (CxRgbQuad{50, 100, 200, 0}));
    EXPECT_EQ(sixteen.GetPixelColor(0, 0, false), (CxRgbQuad{50, 100, 200, 0}));
    EXPECT_EQ(eight.AlphaGet(0, 0), 128);
    EXPECT_EQ(sixteen.AlphaGet(0, 0), 128);
}

TEST(TiffDecode, AFourthSampleWithoutExtraSamplesIsNoAlpha) {
    const auto file = WriteWithLibtiff({{2, 1, Tags(4, 8, PHOTOMETRIC_RGB), [](uint32_t) {
                                             return std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0};
                                         }}});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_FALSE(image.IsTransparent());
    EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{6, 5, 4, 0}));
}

TEST(TiffDecode, CmykHasNoAlphaPlane) {
    const auto file = WriteWithLibtiff({{2, 1, Tags(4, 8, PHOTOMETRIC_SEPARATED), [](uint32_t) {
                                             return std::vector<uint8_t>{0, 0, 0, 0, 255, 0, 0, 0};
                                         }}});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_EQ(image.GetPixelColor(0, 0, false), (CxRgbQuad{255, 255, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{255, 255, 0, 0}));  // cyan
}

TEST(TiffDecode, OddDepthsAreUnpackedToBytes) {
    // 3-bit grey 0..7 scaled to 0..255; 12-bit samples by their top 8 bits;
    // bits past the row's end read as 0.
    const uint8_t threeBit[3] = {0b00000101, 0b00111001, 0b01110111};  // 0 1 2 3 4 5 6 7
    uint8_t out[9] = {};
    TifUnpackSamples(threeBit, 3, 3, 8, true, out);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], i * 255 / 7) << i;
    TifUnpackSamples(threeBit, 3, 3, 8, false, out);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], i) << i;
    const uint8_t twelveBit[3] = {0xAB, 0xCD, 0xEF};  // 0xABC, 0xDEF
    TifUnpackSamples(twelveBit, 3, 12, 3, true, out);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(out[1], 0xDE);
    EXPECT_EQ(out[2], 0);

    {   // A 2-bit palette page keeps its colours as an 8-bit image.
        uint16_t red[4] = {0, 65535, 0, 0}, green[4] = {0, 0, 65535, 0}, blue[4] = {0, 0, 0, 65535};
        auto tags = [&](TIFF* tif) {
            Tags(1, 2, PHOTOMETRIC_PALETTE)(tif);
            TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
        };
        const auto file = WriteWithLibtiff({{5, 1, tags, [](uint32_t) {
                                                 return std::vector<uint8_t>{0b00011011, 0b01000000};
                                             }}});
        CxImage image;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        ASSERT_EQ(image.GetBpp(), 8u);
        EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{0, 0, 255, 0}));
        EXPECT_EQ(image.GetPixelColor(2, 0, false), (CxRgbQuad{0, 255, 0, 0}));
        EXPECT_EQ(image.GetPixelColor(3, 0, false), (CxRgbQuad{255, 0, 0, 0}));
        EXPECT_EQ(image.GetPixelColor(4, 0, false), (CxRgbQuad{0, 0, 255, 0}));
    }
    {   // 2-bit MinIsWhite: 0 is white.
        const auto file = WriteWithLibtiff({{4, 1, Tags(1, 2, PHOTOMETRIC_MINISWHITE), [](uint32_t) {
                                                 return std::vector<uint8_t>{0b00011011};
                                             }}});
        CxImage image;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 255);
        EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 170);
        EXPECT_EQ(image.GetPixelColor(3, 0).rgbRed, 0);
    }
}

TEST(TiffDecode, RedAndBlueSwapForEveryRowLength) {
    for (size_t pixels = 0; pixels <= 9; ++pixels) {
        std::vector<uint8_t> rgb(pixels * 3 + 1, 0xEE);  // a guard byte behind the row
        for (size_t i = 0; i < pixels * 3; ++i) rgb[i] = static_cast<uint8_t>(i + 1);
        std::vector<uint8_t> bgr(rgb.size(), 0xEE), inPlace(rgb);
        cximage::SwapRedBlue(rgb.data(), bgr.data(), pixels);
        cximage::SwapRedBlue(inPlace.data(), inPlace.data(), pixels);
        for (size_t p = 0; p < pixels; ++p) {
            EXPECT_EQ(bgr[3 * p], rgb[3 * p + 2]) << pixels;
            EXPECT_EQ(bgr[3 * p + 1], rgb[3 * p + 1]) << pixels;
            EXPECT_EQ(bgr[3 * p + 2], rgb[3 * p]) << pixels;
        }
        EXPECT_EQ(bgr.back(), 0xEE);
        EXPECT_EQ(inPlace, bgr);
    }
}

TEST(TiffDecode, CieLabBecomesRgb) {
    // The conversion's white is 254 or 255, its black a very dark grey.
    EXPECT_GE(TifLabToRgb(255, 0, 0).red, 254);
    EXPECT_GE(TifLabToRgb(255, 0, 0).blue, 254);
    EXPECT_LE(TifLabToRgb(0, 0, 0).green, 10);
    const TifRgb reddish = TifLabToRgb(128, 80, 60);
    EXPECT_GT(reddish.red, 200);
    EXPECT_LT(reddish.green, 80);
    const TifRgb saturated = TifLabToRgb(255, 127, -128);  // out of gamut: clamped, no overflow
    EXPECT_EQ(saturated.red, 255);

    // 8 and 16-bit samples of the same colours give the same pixels, alpha included.
    const uint8_t lab[3][3] = {{255, 0, 0}, {128, 80, 60}, {60, 0x90, 0x20}};
    auto lab8 = [&](uint32_t) {
        std::vector<uint8_t> row;
        for (auto& p : lab)
            for (uint8_t v : {p[0], p[1], p[2], uint8_t{77}}) row.push_back(v);
        return row;
    };
    auto lab16 = [&](uint32_t) {
        std::vector<uint8_t> row;
        for (auto& p : lab)
            for (uint8_t v : {p[0], p[1], p[2], uint8_t{77}}) {
                const uint16_t sample = static_cast<uint16_t>(v << 8 | 0x55);
                uint8_t bytes[2];
                std::memcpy(bytes, &sample, 2);
                row.push_back(bytes[0]);
                row.push_back(bytes[1]);
            }
        return row;
    };
    auto withAlpha = [](uint16_t bits) {
        return [bits](TIFF* tif) {
            Tags(4, bits, PHOTOMETRIC_CIELAB)(tif);
            const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
        };
    };
    CxImage eight, sixteen;
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({{3, 1, withAlpha(8), lab8}}), eight, CXIMAGE_FORMAT_TIF))
        << eight.GetLastError();
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({{3, 1, withAlpha(16), lab16}}), sixteen, CXIMAGE_FORMAT_TIF))
        << sixteen.GetLastError();
    ASSERT_EQ(eight.GetBpp(), 24u);
    const TifRgb first = TifLabToRgb(255, 0, 0);
    EXPECT_EQ(eight.GetPixelColor(0, 0, false), (CxRgbQuad{first.blue, first.green, first.red, 0}));
    const TifRgb second = TifLabToRgb(128, 80, 60);
    EXPECT_EQ(eight.GetPixelColor(1, 0, false), (CxRgbQuad{second.blue, second.green, second.red, 0}));
    EXPECT_EQ(eight.AlphaGet(2, 0), 77);
    EXPECT_TRUE(SamePicture(eight, sixteen));
}

TEST(TiffDecode, PagesAreCountedAndChosenByFrame) {
    std::vector<PageSpec> pages;
    for (uint32_t i = 0; i < 3; ++i)
        pages.push_back({4 + i, 2, Tags(1, 8, PHOTOMETRIC_MINISBLACK),
                         [i](uint32_t) { return std::vector<uint8_t>(4 + i, static_cast<uint8_t>(i * 10)); }});
    const auto file = WriteWithLibtiff(pages);
    for (int32_t frame = 0; frame < 3; ++frame) {
        CxImage image;
        image.SetFrame(frame);
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        EXPECT_EQ(image.GetNumFrames(), 3);
        EXPECT_EQ(image.GetWidth(), 4u + frame);
        EXPECT_EQ(image.GetPixelIndex(0, 0), frame * 10);
    }
    CxImage beyond;
    beyond.SetFrame(3);
    EXPECT_FALSE(DecodeBytes(file, beyond, CXIMAGE_FORMAT_TIF));
    EXPECT_STREQ(beyond.GetLastError(), "Error: page not present in TIFF file");
    EXPECT_EQ(beyond.GetNumFrames(), 3);  // handed back by the typed decode
    EXPECT_FALSE(beyond.IsValid());
}

TEST(TiffDecode, ProbeCancelAndNonTiffInput) {
    const auto file = WriteWithLibtiff({{7, 5, Tags(1, 8, PHOTOMETRIC_MINISBLACK),
                                         [](uint32_t) { return std::vector<uint8_t>(7, 1); }}});
    CxImageTIF probe;
    probe.SetEscape(-1);
    EXPECT_TRUE(DecodeBytes(file, [&](CxStream* stream) { return probe.Decode(stream); }));
    EXPECT_STREQ(probe.GetLastError(), "output dimensions returned");
    EXPECT_EQ(probe.GetWidth(), 7u);
    EXPECT_EQ(probe.GetHeight(), 5u);
    EXPECT_FALSE(probe.IsValid());

    CxImageTIF cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(file, [&](CxStream* stream) { return cancelled.Decode(stream); }));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

    std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f', 'f'};
    CxImageTIF refused;
    EXPECT_FALSE(DecodeBytes(text, [&](CxStream* stream) { return refused.Decode(stream); }));
    EXPECT_STREQ(refused.GetLastError(), "Error encountered while opening TIFF file");
    CxImageTIF nothing;
    EXPECT_FALSE(nothing.Decode(nullptr));
}

TEST(TiffDecode, ResolutionAndPosition) {
    auto page = [](uint16_t unit, float x, float y) {
        return PageSpec{2, 1,
                        [=](TIFF* tif) {
                            Tags(1, 8, PHOTOMETRIC_MINISBLACK)(tif);
                            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
                            TIFFSetField(tif, TIFFTAG_XRESOLUTION, x);
                            TIFFSetField(tif, TIFFTAG_YRESOLUTION, y);
                            TIFFSetField(tif, TIFFTAG_XPOSITION, 3.9f);
                            TIFFSetField(tif, TIFFTAG_YPOSITION, 4e9f);
                        },
                        [](uint32_t) { return std::vector<uint8_t>(2, 0); }};
    };
    CxImage cm, inch, huge;
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page(RESUNIT_CENTIMETER, 300, 118.11f)}), cm, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(cm.GetXDpi(), 762);
    EXPECT_EQ(cm.GetYDpi(), 300);
    EXPECT_EQ(cm.GetInfo().xOffset, 3);
    EXPECT_EQ(cm.GetInfo().yOffset, INT32_MAX);
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page(RESUNIT_INCH, 72.9f, 150)}), inch, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(inch.GetXDpi(), 72);
    EXPECT_EQ(inch.GetYDpi(), 150);
    ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page(RESUNIT_INCH, 0, 1e30f)}), huge, CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(huge.GetXDpi(), 96);
    EXPECT_GT(huge.GetYDpi(), 0);
}

// The file's rows for a picture shown in each orientation: the inverse of
// the turn that brings it upright.
void StoreForOrientation(CxImage& stored, uint16_t orientation) {
    switch (orientation) {
    case 2: stored.Mirror(); break;
    case 3: stored.Mirror(); stored.Flip(); break;
    case 4: stored.Flip(); break;
    case 5: stored.Mirror(); stored.RotateLeft(); break;
    case 6: stored.RotateLeft(); break;
    case 7: stored.Mirror(); stored.RotateRight(); break;
    case 8: stored.RotateRight(); break;
    default: break;
    }
}

TEST(TiffDecode, EveryOrientationComesOutUpright) {
    CxImage colour(5, 3, 24), grey(5, 3, 8);
    FillPattern(colour, 1);
    FillPattern(grey, 2);
    grey.SetGrayPalette();
    for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        CxImage storedColour(colour, true, false, false), storedGrey(grey, true, false, false);
        StoreForOrientation(storedColour, orientation);
        StoreForOrientation(storedGrey, orientation);
        auto tagsFor = [orientation](uint16_t samples, uint16_t photometric) {
            return [=](TIFF* tif) {
                Tags(samples, 8, photometric)(tif);
                TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
            };
        };
        const PageSpec rgbPage{storedColour.GetWidth(), storedColour.GetHeight(), tagsFor(3, PHOTOMETRIC_RGB),
                               RgbRowsOf(storedColour)};
        const PageSpec greyPage{storedGrey.GetWidth(), storedGrey.GetHeight(), tagsFor(1, PHOTOMETRIC_MINISBLACK),
                                IndexRowsOf(storedGrey)};
        // 16-bit samples of value v * 257 go through libtiff's RGBA reader.
        auto rgb8 = RgbRowsOf(storedColour);
        const PageSpec rgb16Page{storedColour.GetWidth(), storedColour.GetHeight(),
                                 [=](TIFF* tif) {
                                     tagsFor(3, PHOTOMETRIC_RGB)(tif);
                                     TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
                                 },
                                 [rgb8](uint32_t y) {
                                     std::vector<uint8_t> row;
                                     for (uint8_t v : rgb8(y)) {
                                         row.push_back(v);
                                         row.push_back(v);
                                     }
                                     return row;
                                 }};
        CxImage rows, tiles, raster, strips;
        ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({rgbPage}), rows, CXIMAGE_FORMAT_TIF));
        ASSERT_TRUE(DecodeBytes(WriteTiledWithLibtiff(rgbPage, 16, 16), tiles, CXIMAGE_FORMAT_TIF));
        ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({rgb16Page}), raster, CXIMAGE_FORMAT_TIF));
        ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({greyPage}), strips, CXIMAGE_FORMAT_TIF));
        EXPECT_TRUE(SamePicture(rows, colour)) << "RGB rows";
        EXPECT_TRUE(SamePicture(tiles, colour)) << "RGB tiles";
        EXPECT_TRUE(SamePicture(raster, colour)) << "RGBA raster";
        EXPECT_TRUE(SamePicture(strips, grey)) << "strips";
    }
}

// The RGBA reader is asked for bands of whole strips (about 4 MB of raster):
// a page of several bands, turned, still comes out whole and upright.
TEST(TiffDecode, RasterBandsCoverTallPages) {
    CxImage colour(4096, 600, 24);
    FillPattern(colour, 7);
    for (const uint16_t orientation : {uint16_t{1}, uint16_t{6}}) {
        SCOPED_TRACE(orientation);
        CxImage stored(colour, true, false, false);
        StoreForOrientation(stored, orientation);
        auto rgb8 = RgbRowsOf(stored);
        const PageSpec page{stored.GetWidth(), stored.GetHeight(),
                            [=](TIFF* tif) {
                                Tags(3, 16, PHOTOMETRIC_RGB)(tif);
                                TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 256);
                                TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
                            },
                            [rgb8](uint32_t y) {
                                std::vector<uint8_t> row;
                                for (uint8_t v : rgb8(y)) {
                                    row.push_back(v);
                                    row.push_back(v);
                                }
                                return row;
                            }};
        CxImage image;
        ASSERT_TRUE(DecodeBytes(WriteWithLibtiff({page}), image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
        EXPECT_TRUE(SamePicture(image, colour));
    }
}

// An 8-bit RGB page stored as three planes of one PackBits strip each,
// every sample 0xAB: the strips are runs of 128 bytes, 1/64 of the
// samples' size. (libtiff reads a strip from its start into one buffer,
// capped like ours: a plane of one byte a pixel stays below the cap.)
Bytes OneStripPlanesPage(uint32_t width, uint32_t height) {
    using qlry::test::Put16;
    using qlry::test::Put32;
    const uint64_t planeBytes = uint64_t{width} * height;
    const uint64_t runs = planeBytes / 128, rest = planeBytes % 128;
    Bytes strip(runs * 2, 0xAB);
    for (uint64_t i = 0; i < runs; ++i) strip[2 * i] = 0x81;  // 257 - 128: the next byte 128 times
    if (rest) strip.insert(strip.end(), {static_cast<uint8_t>(rest == 1 ? 0 : 257 - rest), 0xAB});
    Bytes file{'I', 'I', 42, 0};
    Put32(file, 8);
    const uint16_t entries = 10;
    const uint32_t bitsAt = 8 + 2 + entries * 12 + 4, offsetsAt = bitsAt + 6, countsAt = offsetsAt + 12;
    const uint32_t stripAt = countsAt + 12, stripBytes = static_cast<uint32_t>(strip.size());
    Put16(file, entries);
    const auto entry = [&file](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Put16(file, tag);
        Put16(file, type);
        Put32(file, count);
        Put32(file, value);
    };
    entry(TIFFTAG_IMAGEWIDTH, 4, 1, width);
    entry(TIFFTAG_IMAGELENGTH, 4, 1, height);
    entry(TIFFTAG_BITSPERSAMPLE, 3, 3, bitsAt);
    entry(TIFFTAG_COMPRESSION, 3, 1, COMPRESSION_PACKBITS);
    entry(TIFFTAG_PHOTOMETRIC, 3, 1, PHOTOMETRIC_RGB);
    entry(TIFFTAG_STRIPOFFSETS, 4, 3, offsetsAt);
    entry(TIFFTAG_SAMPLESPERPIXEL, 3, 1, 3);
    entry(TIFFTAG_ROWSPERSTRIP, 4, 1, height);
    entry(TIFFTAG_STRIPBYTECOUNTS, 4, 3, countsAt);
    entry(TIFFTAG_PLANARCONFIG, 3, 1, PLANARCONFIG_SEPARATE);
    Put32(file, 0);
    Put16(file, 8);
    Put16(file, 8);
    Put16(file, 8);
    // One strip shared by the three planes.
    Put32(file, stripAt);
    Put32(file, stripAt);
    Put32(file, stripAt);
    Put32(file, stripBytes);
    Put32(file, stripBytes);
    Put32(file, stripBytes);
    file.insert(file.end(), strip.begin(), strip.end());
    return file;
}

TEST(TiffDecode, AOneStripPageWhoseRasterPassesTheCapIsReadInBands) {
    // 8001 x 8001: a 4-byte raster of 256 MB and more, a 24-bit picture of 192 MB.
    const uint32_t side = 8001;
    ASSERT_GT(uint64_t{side} * side * 4, CXIMAGE_MAX_MEMORY);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(OneStripPlanesPage(side, side), image, CXIMAGE_FORMAT_TIF)) << image.GetLastError();
    ASSERT_EQ(image.GetWidth(), side);
    EXPECT_EQ(image.GetPixelColor(0, 0, false), (CxRgbQuad{0xAB, 0xAB, 0xAB, 0}));
    EXPECT_EQ(image.GetPixelColor(side - 1, side - 1, false), (CxRgbQuad{0xAB, 0xAB, 0xAB, 0}));
}

TEST(TiffDecode, TilesAndStripsGiveTheSamePicture) {
    CxImage grey(37, 21, 8);
    FillPattern(grey, 5);
    grey.SetGrayPalette();
    const PageSpec page{37, 21, Tags(1, 8, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), IndexRowsOf(grey)};
    for (const uint32_t tile : {16u, 32u, 64u}) {
        CxImage tiled;
        ASSERT_TRUE(DecodeBytes(WriteTiledWithLibtiff(page, tile, tile), tiled, CXIMAGE_FORMAT_TIF))
            << tiled.GetLastError();
        EXPECT_TRUE(SamePicture(tiled, grey)) << tile;
    }
}

}  // namespace
