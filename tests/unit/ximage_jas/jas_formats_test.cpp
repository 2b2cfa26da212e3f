// Our own PNM, PGX and Sun raster readers on files built in the test: every
// header form, sample layout and coding the readers accept, and clean
// refusals of what they do not.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "jas_test_util.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;

CxRgbQuad Rgb(uint8_t r, uint8_t g, uint8_t b) { return CxRgbQuad{b, g, r, 0}; }

// ---- PNM ----------------------------------------------------------------

TEST(Pnm, CommentsMayStandAnywhereInTheHeader) {
    CxImage image;
    ASSERT_TRUE(DecodeBytes(Text("P2#first\n# whole line\n3#w\n 2 # h\n255\n# in the samples\n0 1 2\n3 4 255\n"),
                            image, CXIMAGE_FORMAT_PNM))
        << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image.GetPixelIndex(2, 1), 2);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 255);
    CxImage raw;
    ASSERT_TRUE(DecodeBytes(Join(Text("P5 # c\n2 1 # c\n255\n"), {7, 9}), raw, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(raw.GetPixelIndex(1, 0), 9);
}

TEST(Pnm, TheSamePictureDecodesAlikeInEveryForm) {
    // A 3 x 2 pixmap as plain, raw, 8-bit and 16-bit samples.
    const uint8_t rgb[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}, {128, 64, 32}, {1, 2, 3}};
    std::string plain = "P3\n3 2\n255\n";
    Bytes raw8 = Text("P6\n3 2\n255\n"), raw16 = Text("P6\n3 2\n65535\n");
    std::string plain16 = "P3 3 2 65535\n";
    for (const auto& p : rgb)
        for (const uint8_t v : p) {
            plain += std::to_string(v) + " ";
            plain16 += std::to_string(v * 257) + "\n";
            raw8.push_back(v);
            raw16.push_back(v);
            raw16.push_back(v);
        }
    CxImage a, b, c, d;
    ASSERT_TRUE(DecodeBytes(Text(plain), a, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(raw8, b, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(raw16, c, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(Text(plain16), d, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(a.GetBpp(), 24u);
    EXPECT_EQ(a.GetPixelColor(0, 1), Rgb(255, 0, 0));
    EXPECT_EQ(a.GetPixelColor(1, 0), Rgb(128, 64, 32));
    EXPECT_EQ(MaxDifference(a, b), 0);
    EXPECT_EQ(MaxDifference(a, c), 0);
    EXPECT_EQ(MaxDifference(a, d), 0);

    // Grey: plain and raw, maxval 255 and 65535.
    CxImage g1, g2, g3;
    ASSERT_TRUE(DecodeBytes(Text("P2 2 1 255 17 200"), g1, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(Join(Text("P5 2 1 255\n"), {17, 200}), g2, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(Join(Text("P5 2 1 65535\n"), {17, 99, 200, 1}), g3, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(MaxDifference(g1, g2), 0);
    EXPECT_EQ(MaxDifference(g1, g3), 0);
}

TEST(Pnm, MaxvalsOtherThan255AreScaled) {
    CxImage k, f, one;
    ASSERT_TRUE(DecodeBytes(Text("P2 3 1 1000 0 500 1000"), k, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(k.GetBpp(), 8u);
    EXPECT_EQ(k.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(k.GetPixelIndex(1, 0), 128);
    EXPECT_EQ(k.GetPixelIndex(2, 0), 255);
    ASSERT_TRUE(DecodeBytes(Join(Text("P6 1 1 100\n"), {100, 50, 0}), f, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(f.GetPixelColor(0, 0), Rgb(255, 128, 0));
    // maxval 15 and 1 keep their depth with the grey palette.
    ASSERT_TRUE(DecodeBytes(Join(Text("P5 3 1 15\n"), {0, 7, 15}), one, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(one.GetBpp(), 4u);
    EXPECT_EQ(one.GetPixelIndex(1, 0), 7);
    EXPECT_EQ(one.GetPixelColor(2, 0), Rgb(255, 255, 255));
    CxImage bits;
    ASSERT_TRUE(DecodeBytes(Text("P2 2 1 1 0 1"), bits, CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(bits.GetBpp(), 1u);
    EXPECT_EQ(bits.GetPixelColor(1, 0), Rgb(255, 255, 255));
}

TEST(Pnm, BitmapsHaveBlackAsOne) {
    CxImage plain, raw;
    ASSERT_TRUE(DecodeBytes(Text("P1\n10 2\n1010101010\n0 0 0 0 0 0 0 0 0 1\n"), plain, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(Join(Text("P4\n10 2\n"), {0xAA, 0x80, 0x00, 0x40}), raw, CXIMAGE_FORMAT_PNM));
    for (const CxImage* image : {&plain, &raw}) {
        EXPECT_EQ(image->GetBpp(), 1u);
        EXPECT_EQ(image->GetPixelColor(0, 1), Rgb(0, 0, 0));
        EXPECT_EQ(image->GetPixelColor(1, 1), Rgb(255, 255, 255));
        EXPECT_EQ(image->GetPixelColor(9, 0), Rgb(0, 0, 0));
        EXPECT_EQ(image->GetPixelColor(8, 0), Rgb(255, 255, 255));
    }
    EXPECT_EQ(MaxDifference(plain, raw), 0);
}

TEST(Pnm, OnlyTheFirstOfSeveralImagesIsRead) {
    CxImage image;
    ASSERT_TRUE(DecodeBytes(Join(Join(Text("P5 1 1 255\n"), {42}), Join(Text("P5 2 2 255\n"), {1, 2, 3, 4})), image,
                            CXIMAGE_FORMAT_PNM));
    EXPECT_EQ(image.GetWidth(), 1u);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 42);
}

TEST(Pnm, BadHeadersAndShortDataFailCleanly) {
    const std::string cases[] = {
        "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\nENDHDR\n\x01",  // PAM
        "P5 0 1 255\n", "P5 1 0 255\n", "P5 1 1 0\n\x01", "P5 1 1 65536\n\x01\x01",
        "P6 2 2 255\n\x01\x02", "P5 99999999999 1 255\n", "P3 1 1 255 1 2", "P1 2 1 0 2",
        "P5 -1 1 255\n", "P5 1 1 255", "P6 100000 100000 255\n",
    };
    for (const std::string& text : cases) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(Text(text), image, CXIMAGE_FORMAT_PNM)) << text;
        EXPECT_STREQ(image.GetLastError(), "error: cannot load image data") << text;
        EXPECT_FALSE(image.IsValid());
    }
    CxImage frame;
    EXPECT_FALSE(DecodeBytes(Join(Text("P5 1 1 255\n"), {1}), frame, CXIMAGE_FORMAT_PNM, 1));
    EXPECT_STREQ(frame.GetLastError(), "wrong frame!");
}

// ---- PGX -------------------------------------------------------------------

TEST(Pgx, HeaderFormsAndRefusals) {
    CxImage a, b;
    ASSERT_TRUE(DecodeBytes(Join(Text("PG ML  8 2 1\n"), {5, 6}), a, CXIMAGE_FORMAT_PGX));
    ASSERT_TRUE(DecodeBytes(Join(Text("PG LM +8 2 1\n"), {5, 6}), b, CXIMAGE_FORMAT_PGX));
    EXPECT_EQ(MaxDifference(a, b), 0);
    EXPECT_EQ(a.GetPixelIndex(1, 0), 6);
    for (const std::string& text : {std::string("PG ML 17 1 1\n\x01\x01\x01"), std::string("PG ML 0 1 1\n\x01"),
                                    std::string("PG MM 8 1 1\n\x01"), std::string("PG ML 8 2 2\n\x01\x02"),
                                    std::string("PG ML 8 1\n"), std::string("PG ML 16 1 1\n\x01")}) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(Text(text), image, CXIMAGE_FORMAT_PGX)) << text;
        EXPECT_STREQ(image.GetLastError(), "error: cannot load image data");
    }
}

// ---- Sun raster ---------------------------------------------------------------

TEST(Ras, TwentyFourBitRowsInBothOrdersWithPadding) {
    // Width 3: 9 bytes a row, padded to 10.
    const Bytes bgrRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0};
    Bytes rgbRows = bgrRows;
    for (size_t row = 0; row < 2; ++row)
        for (size_t x = 0; x < 3; ++x) std::swap(rgbRows[row * 10 + 3 * x], rgbRows[row * 10 + 3 * x + 2]);
    CxImage standard, rgb;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(3, 2, 24, 1), bgrRows), standard, CXIMAGE_FORMAT_RAS));
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(3, 2, 24, 3), rgbRows), rgb, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(standard.GetPixelColor(0, 1), Rgb(3, 2, 1));
    EXPECT_EQ(standard.GetPixelColor(2, 0), Rgb(18, 17, 16));
    EXPECT_EQ(MaxDifference(standard, rgb), 0);

    // 32 bits: a pad byte before each colour.
    CxImage wide;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(1, 1, 32, 1), {0xEE, 1, 2, 3}), wide, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(wide.GetPixelColor(0, 0), Rgb(3, 2, 1));
    CxImage wideRgb;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(1, 1, 32, 3), {0xEE, 1, 2, 3}), wideRgb, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(wideRgb.GetPixelColor(0, 0), Rgb(1, 2, 3));
}

// Red-first rows large enough to be read in several blocks (21 rows of 12000
// bytes each, then 21, then 3): every row lands bottom-up with its own
// colours, for an aligned width read in place and an unaligned one.
TEST(Ras, LargeRedFirstPicturesLandRowByRow) {
    for (const uint32_t width : {4000u, 4001u}) {
        const uint32_t height = 45;
        const size_t line = (size_t{width} * 3 + 1) / 2 * 2;
        Bytes rows(line * height, 0);
        const auto sample = [](uint32_t x, uint32_t y, uint32_t c) { return static_cast<uint8_t>(x * 7 + y * 31 + c * 85); };
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t c = 0; c < 3; ++c) rows[y * line + 3 * x + c] = sample(x, y, c);
        CxImage image, ppm;
        ASSERT_TRUE(DecodeBytes(Join(RasHeader(width, height, 24, 3), rows), image, CXIMAGE_FORMAT_RAS)) << width;
        Bytes pnmRows;
        for (uint32_t y = 0; y < height; ++y)
            pnmRows.insert(pnmRows.end(), rows.begin() + y * line, rows.begin() + y * line + 3 * width);
        const std::string head = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
        ASSERT_TRUE(DecodeBytes(Join(Text(head), pnmRows), ppm, CXIMAGE_FORMAT_PNM)) << width;
        for (const uint32_t y : {0u, 1u, 20u, 21u, 22u, 43u, 44u})
            for (const uint32_t x : {0u, 1u, width / 2, width - 1}) {
                const CxRgbQuad want = Rgb(sample(x, y, 0), sample(x, y, 1), sample(x, y, 2));
                EXPECT_EQ(image.GetPixelColor(x, height - 1 - y), want) << width << " " << x << " " << y;
                EXPECT_EQ(ppm.GetPixelColor(x, height - 1 - y), want) << width << " " << x << " " << y;
            }
        EXPECT_EQ(MaxDifference(image, ppm), 0);
        // Cut in the second block: a clean failure, no image.
        pnmRows.resize(pnmRows.size() - 20 * 3 * width);
        CxImage cut;
        EXPECT_FALSE(DecodeBytes(Join(Text(head), pnmRows), cut, CXIMAGE_FORMAT_PNM));
        EXPECT_FALSE(cut.IsValid());
    }
}

TEST(Ras, IndexedRowsWithAndWithoutAColourMap) {
    CxImage grey;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(3, 1, 8, 1), {0, 128, 255, 0}), grey, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(grey.GetBpp(), 8u);
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(grey.GetPixelIndex(1, 0), 128);

    // Map planes: red, green, blue, two entries each.
    CxImage mapped;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(3, 1, 8, 1, 1, 6), {10, 20, 30, 40, 50, 60, 1, 0, 7, 0}), mapped,
                            CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(mapped.GetBpp(), 24u);
    EXPECT_EQ(mapped.GetPixelColor(0, 0), Rgb(20, 40, 60));
    EXPECT_EQ(mapped.GetPixelColor(1, 0), Rgb(10, 30, 50));
    EXPECT_EQ(mapped.GetPixelColor(2, 0), Rgb(0, 0, 0)) << "an index past the map is black";

    // 1 bit: a set bit is black; rows padded to 16 bits.
    CxImage mono;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(3, 2, 1, 1), {0xA0, 0, 0x40, 0}), mono, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(mono.GetBpp(), 1u);
    EXPECT_EQ(mono.GetPixelColor(0, 1), Rgb(0, 0, 0));
    EXPECT_EQ(mono.GetPixelColor(1, 1), Rgb(255, 255, 255));
    EXPECT_EQ(mono.GetPixelColor(1, 0), Rgb(0, 0, 0));
    CxImage monoMapped;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(2, 1, 1, 1, 1, 6), {0, 9, 0, 8, 0, 7, 0x40, 0}), monoMapped,
                            CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(monoMapped.GetPixelColor(1, 0), Rgb(9, 8, 7));

    // A raw map is skipped.
    CxImage raw;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(1, 1, 8, 1, 2, 3), {1, 2, 3, 99, 0}), raw, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(raw.GetPixelIndex(0, 0), 99);
}

TEST(Ras, ByteEncodedRowsRunAcrossRowEnds) {
    // 4 x 2 grey: a run of 5 x 7, a literal 0x80, then 9 and 8.
    const Bytes coded = {0x80, 4, 7, 0x80, 0, 9, 8};
    CxImage image;
    ASSERT_TRUE(DecodeBytes(Join(RasHeader(4, 2, 8, 2), coded), image, CXIMAGE_FORMAT_RAS)) << image.GetLastError();
    const uint8_t expected[2][4] = {{7, 7, 7, 7}, {7, 0x80, 9, 8}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixelIndex(x, 1 - y), expected[y][x]) << x << "," << y;
    CxImage cut;
    EXPECT_FALSE(DecodeBytes(Join(RasHeader(4, 2, 8, 2), {0x80, 4, 7, 0x80}), cut, CXIMAGE_FORMAT_RAS));
    EXPECT_STREQ(cut.GetLastError(), "error: cannot load image data");
}

TEST(Ras, BadHeadersFailCleanly) {
    const Bytes cases[] = {
        RasHeader(0, 1, 8, 1),  RasHeader(1, 1, 16, 1),          RasHeader(1, 1, 8, 4), RasHeader(1, 1, 8, 1, 3),
        RasHeader(1, 1, 8, 1, 1, 4), RasHeader(1, 1, 8, 1, 1, 3), RasHeader(2, 2, 24, 1),
        RasHeader(100000, 100000, 24, 2), Bytes{0x59, 0xA6, 0x6A},
    };
    for (const Bytes& file : cases) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(file, image, CXIMAGE_FORMAT_RAS));
        EXPECT_STREQ(image.GetLastError(), "error: cannot load image data");
    }
}

}  // namespace
