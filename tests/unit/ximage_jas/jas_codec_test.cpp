// CxImageJAS on pictures built in the test: the contract's edge cases and
// texts, recognition, the encoder's rate, and round trips through every
// writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "jas_test_util.h"
#include "support/corpus.h"
#include "ximage/codecs/ximage_jas.h"
#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;

using qlry::test::ReadCorpusBytes;

TEST(JasContract, ThreeEqualComponentsGive24BitsWithRedFromComponentZero) {
    CxImage picture;
    MakeColour(picture, 40, 30);
    picture.SetJpegQuality(100);
    for (const uint32_t format : {CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_JPC}) {
        const Bytes file = EncodeBytes(picture, format);
        ASSERT_FALSE(file.empty()) << picture.GetLastError();
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(file, decoded, format)) << decoded.GetLastError();
        EXPECT_EQ(decoded.GetBpp(), 24u);
        EXPECT_EQ(decoded.GetType(), format);
        EXPECT_EQ(MaxDifference(picture, decoded), 0) << "quality 100 is lossless";
        // Red runs left to right, green bottom to top: components 0 and 1.
        EXPECT_EQ(decoded.GetPixelColor(39, 0).rgbRed, 255);
        EXPECT_EQ(decoded.GetPixelColor(0, 29).rgbGreen, 255);
    }
}

TEST(JasContract, OneComponentEightBitPgxIsGreyWithOneFrame) {
    CxImageJAS codec;
    const Bytes file = Join(Text("PG ML + 8 3 2\n"), {10, 20, 30, 40, 50, 60});
    ASSERT_TRUE(DecodeBytes(file, [&](CxStream* stream) { return codec.Decode(stream, CXIMAGE_FORMAT_PGX); }));
    EXPECT_EQ(codec.GetBpp(), 8u);
    EXPECT_TRUE(codec.IsGrayScale());
    EXPECT_EQ(codec.GetNumFrames(), 1);
    EXPECT_EQ(codec.GetPixelIndex(0, 1), 10);  // the file's first row is the top
    EXPECT_EQ(codec.GetPixelIndex(2, 0), 60);
}

TEST(JasContract, FourComponentsShowOneFrameAndRefuseFrameFour) {
    const Bytes file = ReadCorpusBytes("jp2/pillow_rgb_trns_ycbc.jp2");
    ASSERT_FALSE(file.empty());
    CxImage reference;
    ASSERT_TRUE(DecodeBytes(ReadCorpusBytes("jp2/pillow_rgb_trns_ycbc.j2k"), reference, CXIMAGE_FORMAT_JPC, 2));

    CxImageJAS codec;
    codec.SetFrame(2);
    ASSERT_TRUE(DecodeBytes(file, [&](CxStream* stream) { return codec.Decode(stream, CXIMAGE_FORMAT_JP2); }))
        << codec.GetLastError();
    EXPECT_EQ(codec.GetNumFrames(), 4);
    EXPECT_EQ(codec.GetBpp(), 8u);
    EXPECT_TRUE(codec.IsGrayScale());
    EXPECT_EQ(MaxDifference(codec, reference), 0) << "component 2 of the same picture in both containers";

    CxImageJAS past;
    past.SetFrame(4);
    EXPECT_FALSE(DecodeBytes(file, [&](CxStream* stream) { return past.Decode(stream, CXIMAGE_FORMAT_JP2); }));
    EXPECT_STREQ(past.GetLastError(), "wrong frame!");
    EXPECT_EQ(past.GetNumFrames(), 4);
    EXPECT_FALSE(past.IsValid());

    CxImage negative;
    EXPECT_FALSE(DecodeBytes(file, negative, CXIMAGE_FORMAT_JP2, -1));
    EXPECT_STREQ(negative.GetLastError(), "wrong frame!");
}

TEST(JasContract, SixteenBitComponentsAreScaledNotCut) {
    // PGX, both byte orders: the high byte survives, not the low one.
    CxImage big, little;
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML + 16 2 1\n"), {0x12, 0x34, 0xAB, 0xCD}), big, CXIMAGE_FORMAT_PGX));
    ASSERT_TRUE(DecodeBytes(Join(Text("PG LM 16 2 1\n"), {0x34, 0x12, 0xCD, 0xAB}), little, CXIMAGE_FORMAT_PGX));
    for (const CxImage* image : {&big, &little}) {
        EXPECT_EQ(image->GetBpp(), 8u);
        EXPECT_EQ(image->GetPixelIndex(0, 0), 0x12);
        EXPECT_EQ(image->GetPixelIndex(1, 0), 0xAB);
    }
    // A 16-bit JPEG-2000 picture: smooth, so neighbouring pixels stay close
    // (low bytes would jump about), and alike in both containers.
    CxImage jp2, j2k;
    ASSERT_TRUE(DecodeBytes(ReadCorpusBytes("jp2/pillow_16bit.cropped.jp2"), jp2, CXIMAGE_FORMAT_JP2));
    ASSERT_TRUE(DecodeBytes(ReadCorpusBytes("jp2/pillow_16bit.cropped.j2k"), j2k, CXIMAGE_FORMAT_JPC));
    EXPECT_EQ(jp2.GetBpp(), 8u);
    EXPECT_EQ(MaxDifference(jp2, j2k), 0);
    uint64_t steps = 0, pairs = 0;
    for (uint32_t y = 0; y < jp2.GetHeight(); ++y)
        for (uint32_t x = 1; x < jp2.GetWidth(); ++x, ++pairs)
            steps += static_cast<uint64_t>(std::abs(jp2.GetPixelIndex(x, y) - jp2.GetPixelIndex(x - 1, y)));
    EXPECT_LT(steps / pairs, 16u) << "mean step between neighbours";
}

TEST(JasContract, SignedAndOddPrecisionsUseTheirRange) {
    CxImage s8, s12, u4, u1, u3;
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML - 8 3 1\n"), {0x80, 0x00, 0x7F}), s8, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(s8.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(s8.GetPixelIndex(1, 0), 128);
    EXPECT_EQ(s8.GetPixelIndex(2, 0), 255);
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML -12 2 1\n"), {0xF8, 0x00, 0x07, 0xFF}), s12, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(s12.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(s12.GetPixelIndex(1, 0), 255);
    // Unsigned 4 and 1 bits keep their depth; 3 bits are scaled to 8.
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML +4 2 1\n"), {3, 15}), u4, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(u4.GetBpp(), 4u);
    EXPECT_EQ(u4.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(u4.GetPaletteColor(15).rgbRed, 255);
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML 1 2 1\n"), {1, 0}), u1, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(u1.GetBpp(), 1u);
    EXPECT_EQ(u1.GetPixelIndex(0, 0), 1);
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML 3 2 1\n"), {7, 9}), u3, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(u3.GetBpp(), 8u);
    EXPECT_EQ(u3.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(u3.GetPixelIndex(1, 0), 255) << "a sample above the precision is clamped";
}

TEST(JasContract, PgxHeaderEndingInCarriageReturnAndLineFeed) {
    // The LF is the header's when the samples fill the rest, else a sample.
    CxImage crlf, cr;
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML 8 2 1\r\n"), {10, 20}), crlf, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(crlf.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(crlf.GetPixelIndex(1, 0), 20);
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML 8 2 1\r"), {10, 20}), cr, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(cr.GetPixelIndex(0, 0), 10);
}

TEST(JasContract, MoreThanSixtyFourComponentsAreRefused) {
    CxImage image;
    EXPECT_FALSE(DecodeBytes(ReadCorpusBytes("jp2/opj_p0_13.j2k"), image, CXIMAGE_FORMAT_JPC));
    EXPECT_STREQ(image.GetLastError(), "error: too much components");
}

TEST(JasContract, BrokenDataGivesTheLoadText) {
    for (const std::string& text : {std::string("P7\nWIDTH 1\n"), std::string("not an image at all"),
                                    std::string("P6\n2 2\n255\nabc"), std::string("PG XX 8 1 1\n\x01"),
                                    std::string("P5\n1 1\n0\n\x01"), std::string("P2\n1 1\n70000\n1\n")}) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(Text(text), image, CXIMAGE_FORMAT_PNM)) << text;
        EXPECT_STREQ(image.GetLastError(), "error: cannot load image data") << text;
    }
    CxImageJAS codec;
    EXPECT_FALSE(codec.Decode(nullptr, CXIMAGE_FORMAT_PNM));
}

TEST(JasRecognition, ContentDecidesTheCodecAndFormatZeroReportsIt) {
    CxImage grey;
    MakeGrey(grey, 9, 7);
    CxImage colour;
    MakeColour(colour, 9, 7);
    colour.SetJpegQuality(100);
    for (const uint32_t format :
         {CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_JPC, CXIMAGE_FORMAT_PGX, CXIMAGE_FORMAT_PNM, CXIMAGE_FORMAT_RAS}) {
        const Bytes file = EncodeBytes(format == CXIMAGE_FORMAT_PGX ? grey : colour, format);
        ASSERT_FALSE(file.empty()) << format;
        CxImage detected;
        ASSERT_TRUE(DecodeBytes(file, detected, CXIMAGE_FORMAT_UNKNOWN)) << format << detected.GetLastError();
        EXPECT_EQ(detected.GetType(), format);
        // A typed decode recognises the data all the same; the id is the caller's.
        CxImage typed;
        const uint32_t other = format == CXIMAGE_FORMAT_PNM ? CXIMAGE_FORMAT_RAS : CXIMAGE_FORMAT_PNM;
        ASSERT_TRUE(DecodeBytes(file, typed, other)) << format;
        EXPECT_EQ(typed.GetType(), other);
        EXPECT_EQ(MaxDifference(typed, detected), 0);
    }
}

TEST(JasEncode, TheRateFollowsQuality) {
    char option[32];
    cxjas::FormatRateOption(50, option, sizeof(option));
    EXPECT_STREQ(option, "rate=0.500");
    cxjas::FormatRateOption(90, option, sizeof(option));
    EXPECT_STREQ(option, "rate=0.900");
    EXPECT_DOUBLE_EQ(cxjas::ParseRateOption("rate=0.500"), 0.5);
    EXPECT_DOUBLE_EQ(cxjas::CompressionRatio(0.5), 2.0);
    EXPECT_DOUBLE_EQ(cxjas::CompressionRatio(1.0), 0.0) << "no target: lossless";
    EXPECT_DOUBLE_EQ(cxjas::CompressionRatio(0.0), cxjas::kMaxRatio);

    // A noisy picture cannot be kept whole at half its size: the file obeys
    // the rate, and a lower quality gives a smaller file.
    CxImage noise;
    noise.Create(64, 64, 24);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            seed = seed * 1103515245u + 12345u;
            CxRgbQuad c{static_cast<uint8_t>(seed >> 8), static_cast<uint8_t>(seed >> 16), static_cast<uint8_t>(seed >> 24), 0};
            noise.SetPixelColor(x, y, c);
        }
    const double raw = 64.0 * 64 * 3;
    noise.SetJpegQuality(50);
    const Bytes half = EncodeBytes(noise, CXIMAGE_FORMAT_JPC);
    noise.SetJpegQuality(10);
    const Bytes tenth = EncodeBytes(noise, CXIMAGE_FORMAT_JPC);
    ASSERT_FALSE(half.empty());
    ASSERT_FALSE(tenth.empty());
    EXPECT_LE(half.size(), raw * 0.5 + 64);
    EXPECT_LE(tenth.size(), raw * 0.1 + 64);
    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(tenth, decoded, CXIMAGE_FORMAT_JPC));
    EXPECT_EQ(decoded.GetWidth(), 64u);
}

TEST(JasEncode, NoCommentTakesPartOfTheBudget) {
    CxImage picture(8, 8, 24, CXIMAGE_FORMAT_BMP);
    picture.SetPixelColor(3, 3, CxRgbQuad{1, 2, 3, 0});
    picture.SetJpegQuality(100);  // rate 1: lossless
    const std::string mark = "Created by OpenJPEG";
    for (const uint32_t format : {CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_JPC}) {
        const Bytes file = EncodeBytes(picture, format);
        ASSERT_FALSE(file.empty()) << format;
        EXPECT_EQ(std::search(file.begin(), file.end(), mark.begin(), mark.end()), file.end()) << format;
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, format)) << format << back.GetLastError();
        EXPECT_EQ(MaxDifference(back, picture), 0) << format;
    }
}

TEST(JasEncode, RefusalsCarryTheirTexts) {
    CxImage colour;
    MakeColour(colour, 4, 3);
    EXPECT_TRUE(EncodeBytes(colour, CXIMAGE_FORMAT_PGX).empty());
    EXPECT_STREQ(colour.GetLastError(), "PGX can save only GrayScale images");

    CxImage palette(4, 3, 8);
    palette.SetPaletteColor(0, 200, 10, 10);
    EXPECT_TRUE(EncodeBytes(palette, CXIMAGE_FORMAT_PNM).empty());
    EXPECT_STREQ(palette.GetLastError(), "JasPer can save only RGB or GrayScale images");

    CxImage empty;
    EXPECT_TRUE(EncodeBytes(empty, CXIMAGE_FORMAT_JP2).empty());
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");

    CxImageJAS codec;
    codec.BorrowFrom(&colour);
    CxMemStream stream;
    stream.Open();
    EXPECT_FALSE(codec.Encode(&stream, 16));
    EXPECT_STREQ(codec.GetLastError(), "error: cannot encode image\n");
    EXPECT_FALSE(codec.Encode(&stream, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(codec.GetLastError(), "error: cannot encode image\n");
}

TEST(JasEncode, PnmOfAColourImageIsThreeEightBitComponents) {
    CxImage colour;
    MakeColour(colour, 4, 3);
    const Bytes file = EncodeBytes(colour, CXIMAGE_FORMAT_PNM);
    const std::string header = "P6\n4 3\n255\n";
    ASSERT_EQ(file.size(), header.size() + 4 * 3 * 3);
    EXPECT_EQ(std::string(file.begin(), file.begin() + header.size()), header);
    const CxRgbQuad topLeft = colour.GetPixelColor(0, 2);
    EXPECT_EQ(file[header.size()], topLeft.rgbRed);
    EXPECT_EQ(file[header.size() + 1], topLeft.rgbGreen);
    EXPECT_EQ(file[header.size() + 2], topLeft.rgbBlue);

    CxImage grey;
    MakeGrey(grey, 5, 2);
    const Bytes pgm = EncodeBytes(grey, CXIMAGE_FORMAT_PNM);
    EXPECT_EQ(std::string(pgm.begin(), pgm.begin() + 11), "P5\n5 2\n255\n");
    const Bytes pgx = EncodeBytes(grey, CXIMAGE_FORMAT_PGX);
    ASSERT_EQ(pgx.size(), 14u + 10u);
    EXPECT_EQ(std::string(pgx.begin(), pgx.begin() + 14), "PG ML + 8 5 2\n");
    EXPECT_EQ(pgx[14], grey.GetPixelIndex(0, 1));
}

TEST(JasEncode, EveryWriterRoundTripsGreyAndColour) {
    CxImage grey, colour;
    MakeGrey(grey, 37, 21);
    MakeColour(colour, 37, 21);
    grey.SetJpegQuality(100);
    colour.SetJpegQuality(100);
    for (const uint32_t format :
         {CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_JPC, CXIMAGE_FORMAT_PGX, CXIMAGE_FORMAT_PNM, CXIMAGE_FORMAT_RAS}) {
        for (CxImage* source : {&grey, &colour}) {
            if (format == CXIMAGE_FORMAT_PGX && source == &colour) continue;
            const Bytes file = EncodeBytes(*source, format);
            ASSERT_FALSE(file.empty()) << format << ": " << source->GetLastError();
            CxImage back;
            ASSERT_TRUE(DecodeBytes(file, back, format)) << format << ": " << back.GetLastError();
            EXPECT_EQ(back.GetBpp(), source->GetBpp()) << format;
            EXPECT_EQ(back.IsGrayScale(), source->IsGrayScale()) << format;
            EXPECT_EQ(MaxDifference(*source, back), 0) << format;
        }
    }
}

TEST(JasEncode, TinyPicturesEncode) {
    for (const uint32_t size : {1u, 2u, 3u, 33u}) {
        CxImage colour;
        MakeColour(colour, size, 1);
        for (const uint32_t format : {CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_JPC}) {
            const Bytes file = EncodeBytes(colour, format);
            ASSERT_FALSE(file.empty()) << size;
            CxImage back;
            ASSERT_TRUE(DecodeBytes(file, back, format)) << size;
            EXPECT_EQ(back.GetWidth(), size);
        }
    }
}

}  // namespace
