// Colour spaces of JP2 files: CMYK and sYCC pictures become sRGB colour
// pictures; an sRGB picture with four components stays four grey frames.
// The files are made here with OpenJPEG's encoder.
#include <gtest/gtest.h>
#include <openjpeg.h>

#include <cstring>
#include <vector>

#include "jas_test_util.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;

// A JP2 file of one pixel per sample set, in the given colour space; every
// component subsampled by step in both directions, the last one opacity
// when asked (OpenJPEG then writes channel definitions).
Bytes EncodeJp2(OPJ_COLOR_SPACE space, const std::vector<std::vector<int>>& pixels, uint32_t step = 1,
                bool lastIsOpacity = false) {
    const uint32_t components = static_cast<uint32_t>(pixels[0].size());
    const uint32_t width = static_cast<uint32_t>(pixels.size());
    std::vector<opj_image_cmptparm_t> parts(components);
    for (auto& p : parts) {
        std::memset(&p, 0, sizeof(p));
        p.dx = p.dy = step;
        p.w = width;
        p.h = 1;
        p.prec = 8;
    }
    opj_image_t* image = opj_image_create(components, parts.data(), space);
    image->x1 = width * step;
    image->y1 = step;
    if (lastIsOpacity) image->comps[components - 1].alpha = 1;
    for (uint32_t x = 0; x < width; ++x)
        for (uint32_t c = 0; c < components; ++c) image->comps[c].data[x] = pixels[x][c];
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.numresolution = 1;
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
    const char* path = "qlry_jas_colour_space.jp2";
    opj_stream_t* stream = opj_stream_create_default_file_stream(path, OPJ_FALSE);
    const bool ok = opj_setup_encoder(codec, &parameters, image) && opj_start_compress(codec, image, stream) &&
                    opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    Bytes bytes;
    if (FILE* f = ok ? std::fopen(path, "rb") : nullptr) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    std::remove(path);
    return bytes;
}

// OpenJPEG's encoder names no CMYK colour space: the colour box is given
// enumerated space 12 (CMYK) here.
void MarkCmyk(Bytes& file) {
    for (size_t i = 0; i + 11 <= file.size(); ++i)
        if (std::memcmp(file.data() + i, "colr", 4) == 0) {
            file[i + 4] = 1;  // enumerated
            cximage::StoreU32BE(file.data() + i + 7, 12);
            return;
        }
    ADD_FAILURE() << "no colour box";
}

TEST(JasColourSpace, CmykBecomesRgb) {
    Bytes file = EncodeJp2(OPJ_CLRSPC_CMYK, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 0, 255}, {0, 255, 255, 0}});
    ASSERT_FALSE(file.empty());
    MarkCmyk(file);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_JP2)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetPixelColor(0, 0, false), (CxRgbQuad{255, 255, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{255, 255, 0, 0}));  // cyan
    EXPECT_EQ(image.GetPixelColor(2, 0, false), (CxRgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(3, 0, false), (CxRgbQuad{0, 0, 255, 0}));    // red
}

TEST(JasColourSpace, SyccBecomesRgb) {
    // Y, Cb, Cr: grey, then full red (Y 76, Cb 85, Cr 255) and blue.
    const Bytes file = EncodeJp2(OPJ_CLRSPC_SYCC, {{128, 128, 128}, {76, 85, 255}, {29, 255, 107}});
    ASSERT_FALSE(file.empty());
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_JP2)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 24u);
    const CxRgbQuad grey = image.GetPixelColor(0, 0, false), red = image.GetPixelColor(1, 0, false),
                    blue = image.GetPixelColor(2, 0, false);
    EXPECT_EQ(grey, (CxRgbQuad{128, 128, 128, 0}));
    EXPECT_GE(red.rgbRed, 250);
    EXPECT_LE(red.rgbGreen, 5);
    EXPECT_LE(red.rgbBlue, 5);
    EXPECT_GE(blue.rgbBlue, 250);
    EXPECT_LE(blue.rgbRed, 5);
}

TEST(JasColourSpace, FourSrgbComponentsStayGreyFrames) {
    const Bytes file = EncodeJp2(OPJ_CLRSPC_SRGB, {{10, 20, 30, 40}});
    ASSERT_FALSE(file.empty());
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_JP2, 3)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_EQ(image.GetNumFrames(), 4);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 40);
}

TEST(JasColourSpace, AnOpacityChannelBecomesTheAlphaPlane) {
    const Bytes file = EncodeJp2(OPJ_CLRSPC_SRGB, {{10, 20, 30, 40}, {200, 100, 50, 255}}, 1, true);
    ASSERT_FALSE(file.empty());
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_JP2)) << image.GetLastError();
    ASSERT_EQ(image.GetBpp(), 24u);
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.GetPixelColor(1, 0, false), (CxRgbQuad{50, 100, 200, 0}));
    EXPECT_EQ(image.AlphaGet(0, 0), 40);
}

TEST(JasColourSpace, ColourAndGreyPicturesTakeTheirFirstComponentsSize) {
    // Components sampled every second point of a 6 x 2 grid: 3 x 1 samples.
    const Bytes colour = EncodeJp2(OPJ_CLRSPC_SRGB, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}, 2);
    const Bytes grey = EncodeJp2(OPJ_CLRSPC_GRAY, {{10}, {40}, {70}}, 2);
    CxImage c, g;
    ASSERT_TRUE(DecodeBytes(colour, c, CXIMAGE_FORMAT_JP2)) << c.GetLastError();
    ASSERT_TRUE(DecodeBytes(grey, g, CXIMAGE_FORMAT_JP2)) << g.GetLastError();
    EXPECT_EQ(c.GetWidth(), 3u);
    EXPECT_EQ(c.GetHeight(), 1u);
    EXPECT_EQ(g.GetWidth(), 3u);
    EXPECT_EQ(g.GetHeight(), 1u);
    EXPECT_EQ(c.GetPixelColor(2, 0, false), (CxRgbQuad{90, 80, 70, 0}));
}

}  // namespace
