// The BMP codec: what it writes, and every layout it reads.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bmp_builder.h"
#include "support/codec_test_support.h"
#include "ximage/codecs/ximage_bmp.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::BuildBmp;
using qlry::test::BuildDib;
using qlry::test::DibLayout;
using qlry::test::ExpectedPicture;
using qlry::test::Rows16;
using qlry::test::Rows24;
using qlry::test::Rows32;
using qlry::test::DecodeBytes;
using qlry::test::EncodeChecked;
using qlry::test::Opacity;
using qlry::test::SamePicture;
using qlry::test::TestColor;

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// The codec with its escape set, run over a copy of `file`.
bool DecodeWithEscape(CxImageBMP& codec, std::vector<uint8_t> file, int32_t escape) {
    codec.SetEscape(escape);
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    return codec.Decode(&stream);
}

TEST(BmpEncode, FileLayoutFor24And1Bits) {
    CxImage rgb(2, 2, 24, 1);
    const auto file = EncodeChecked(rgb, CXIMAGE_FORMAT_BMP);
    ASSERT_EQ(file.size(), 70u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 70u);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14 + 20), 16u);  // two rows of 8 bytes

    CxImage mono(10, 3, 1, 1);
    const auto monoFile = EncodeChecked(mono, CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(U32At(monoFile, 10), 62u);
    EXPECT_EQ(monoFile.size(), 62u + 12u);
}

TEST(BmpEncode, CarriesTheCurrentResolution) {
    CxImage image(2, 2, 8, 1);
    image.SetXDpi(300);
    const auto file = EncodeChecked(image, CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(U32At(file, 14 + 24), 11811u);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(back.GetXDpi(), 300);
    EXPECT_EQ(back.GetYDpi(), 96);
}

class BmpRoundTrip : public ::testing::TestWithParam<uint32_t> {};

TEST_P(BmpRoundTrip, EveryDepthAndOddWidths) {
    for (uint32_t width : {1u, 2u, 3u, 7u, 31u, 33u}) {
        CxImage image(width, 5, GetParam(), 1);
        qlry::test::FillTestPicture(image);
        const auto file = EncodeChecked(image, CXIMAGE_FORMAT_BMP);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_BMP)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), GetParam());
        EXPECT_EQ(back.GetType(), CXIMAGE_FORMAT_BMP);
        EXPECT_TRUE(SamePicture(back, image, Opacity::SamePlanes)) << "width " << width;
        EXPECT_EQ(std::memcmp(back.GetDib() + 40, image.GetDib() + 40, image.GetSize() - 40), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, ::testing::Values(1u, 4u, 8u, 24u));

DibLayout Paletted8(uint32_t headerSize, int32_t height) {
    DibLayout s;
    s.headerSize = headerSize;
    s.width = 5;
    s.height = height;
    s.bpp = 8;
    for (int i = 0; i < 256; ++i)
        s.palette.push_back(CxRgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0});
    s.bits.assign(8 * 3, 0);
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const uint32_t fileRow = height < 0 ? rows - 1 - y : y;
            s.bits[fileRow * 8 + x] = static_cast<uint8_t>(x * 40 + y);
        }
    return s;
}

TEST(BmpDecode, HeaderVariantsGiveTheSameImage) {
    CxImage reference;
    ASSERT_TRUE(DecodeBytes(BuildBmp(Paletted8(40, 3)), reference, CXIMAGE_FORMAT_BMP)) << reference.GetLastError();
    EXPECT_EQ(reference.GetPixelIndex(2, 1), 81);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> variants;
    for (uint32_t headerSize : {12u, 16u, 52u, 56u, 64u, 108u, 124u})
        variants.emplace_back("header " + std::to_string(headerSize), BuildBmp(Paletted8(headerSize, 3)));
    variants.emplace_back("top-down", BuildBmp(Paletted8(40, -3)));
    // A bare DIB: no file header, the pixels right behind the palette.
    variants.emplace_back("bare", BuildDib(Paletted8(40, 3)));
    variants.emplace_back("bare, core header", BuildDib(Paletted8(12, 3)));
    for (const auto& [what, bytes] : variants) {
        SCOPED_TRACE(what);
        CxImage image;
        ASSERT_TRUE(DecodeBytes(bytes, image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
        EXPECT_TRUE(SamePicture(image, reference, Opacity::SamePlanes));
        EXPECT_EQ(std::memcmp(image.GetPalette(), reference.GetPalette(), 1024), 0);
    }
}

TEST(BmpDecode, UnknownLongHeaderOnlyWhenPlain) {
    // A header size no version has is believed only for a plain uncompressed layout.
    DibLayout rgb{.headerSize = 72, .width = 3, .height = 2, .sizeImage = 24, .bits = Rows24(3, 2, false)};
    CxImage image;
    ASSERT_TRUE(DecodeBytes(BuildBmp(rgb), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(3, 2), Opacity::SamePlanes));
    rgb.sizeImage = 25;
    EXPECT_FALSE(DecodeBytes(BuildBmp(rgb), image, CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
    rgb.sizeImage = 24;
    rgb.clrUsed = 1;
    EXPECT_FALSE(DecodeBytes(BuildBmp(rgb), image, CXIMAGE_FORMAT_BMP));
    rgb.clrUsed = 0;
    rgb.planes = 2;
    EXPECT_FALSE(DecodeBytes(BuildBmp(rgb), image, CXIMAGE_FORMAT_BMP));
    rgb.headerSize = 20;  // below 40 and not a known short header
    rgb.planes = 1;
    EXPECT_FALSE(DecodeBytes(BuildBmp(rgb), image, CXIMAGE_FORMAT_BMP));
}

TEST(BmpDecode, SixteenBitMasks) {
    const uint32_t w = 7, h = 3;
    for (bool topDown : {false, true}) {
        DibLayout s{
            .width = w, .height = topDown ? -int32_t{h} : int32_t{h}, .bpp = 16, .bits = Rows16(w, h, false, topDown)};
        CxImage image;
        ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24u);
        EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h, 0xF8, 0xF8), Opacity::SamePlanes));

        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.bits = Rows16(w, h, true, topDown);
        ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
        EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h, 0xF8, 0xFC), Opacity::SamePlanes));
        for (uint32_t header : {56u, 124u}) {
            s.headerSize = header;
            ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << header;
            EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h, 0xF8, 0xFC), Opacity::SamePlanes)) << header;
        }
    }
}

TEST(BmpDecode, ThirtyTwoBitsWithAndWithoutMasks) {
    const uint32_t w = 5, h = 4;
    DibLayout s{.width = w, .height = h, .bpp = 32, .bits = Rows32(w, h, false)};
    CxImage image;
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h), Opacity::SamePlanes));
    EXPECT_FALSE(image.AlphaIsValid());  // fourth bytes all zero
    // Masks in another order are honoured: R and B swapped in storage.
    s.compression = 3;
    s.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    for (size_t i = 0; i < s.bits.size(); i += 4) std::swap(s.bits[i], s.bits[i + 2]);
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h), Opacity::SamePlanes));
    // In files the fourth byte of plain 32-bit pixels is unused...
    s.compression = 0;
    s.masks.clear();
    s.bits = Rows32(w, h, true, 128);
    s.height = -int32_t{h};
    s.bits[3] = 7;  // top-left pixel of the top-down rows
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(w, h), Opacity::SamePlanes));
    // ...and alpha when a version 5 header names a mask for it.
    s.headerSize = 124;
    s.compression = 3;
    s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, h - 1), 7);
    EXPECT_EQ(image.AlphaGet(1, 0), 128);
    // A 40-byte header with four masks (BI_ALPHABITFIELDS).
    s.headerSize = 40;
    s.compression = 6;
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, h - 1), 7);
}

TEST(BmpDecode, Rle8AndRle4MatchTheirPlainTwins) {
    // 4 x 3, 8 bits: row 0 = 1 1 1 2, row 1 = 0 0 (delta) ..., row 2 = 3 4 5 6 (absolute).
    DibLayout s{.width = 4, .height = 3, .bpp = 8, .compression = 1};
    for (int i = 0; i < 256; ++i) s.palette.push_back(CxRgbQuad{static_cast<uint8_t>(i), 0, 0, 0});
    s.bits = {3, 1, 1, 2, 0, 0,      // row 0, end of line
              0, 2, 1, 0, 2, 9,      // delta right 1, then two 9s on row 1
              0, 0,                  // end of line (row 2)
              0, 4, 3, 4, 5, 6,      // absolute run of 4
              0, 1};
    CxImage image;
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    const uint8_t expected[3][4] = {{1, 1, 1, 2}, {0, 9, 9, 0}, {3, 4, 5, 6}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixelIndex(x, y), expected[y][x]) << x << "," << y;

    // RLE4: a run of 5 alternating nibbles starting mid-byte after a delta.
    DibLayout r4{.width = 8, .height = 1, .bpp = 4, .compression = 2};
    for (int i = 0; i < 16; ++i) r4.palette.push_back(CxRgbQuad{static_cast<uint8_t>(i), 0, 0, 0});
    r4.bits = {0, 2, 1, 0,          // move to x = 1
               5, 0x12,             // 1 2 1 2 1
               0, 3, 0xAB, 0xC0,    // absolute A B C (odd byte count: padded below)
               0, 1};
    // Absolute run of 3 nibbles uses 2 bytes (even): no pad byte.
    ASSERT_TRUE(DecodeBytes(BuildBmp(r4), image, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    const uint8_t row[8] = {0, 1, 2, 1, 2, 1, 10, 11};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(image.GetPixelIndex(x, 0), row[x]) << x;
}

TEST(BmpDecode, RleNeverWritesOutsideTheImage) {
    DibLayout s{.width = 3, .height = 2, .bpp = 8, .compression = 1};
    // Runs longer than the row, deltas past the top, an absolute run past the end.
    s.bits = {255, 7, 0, 2, 200, 0, 0, 2, 0, 1, 0, 200};
    for (int i = 0; i < 100; ++i) s.bits.push_back(0xEE);
    s.bits.insert(s.bits.end(), {0, 2, 0, 255, 9, 9});
    CxImage image;
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetPixelIndex(2, 0), 7);
    s.bpp = 4;
    s.compression = 2;
    ASSERT_TRUE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP));
}

TEST(BmpDecode, ErrorTexts) {
    DibLayout bitfields8 = Paletted8(40, 3);
    bitfields8.compression = 3;
    auto farOffset = BuildBmp(Paletted8(40, 3));
    farOffset[10] = farOffset[11] = farOffset[12] = 0xF0;
    farOffset[13] = 0xFF;  // bfOffBits beyond any 32-bit position
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        const char* error;
    } cases[] = {
        {"RLE on 24 bits", BuildBmp({.width = 2, .height = 2, .compression = 1, .bits = Rows24(2, 2, false)}),
         "unknown compression"},
        {"bitfields on 8 bits", BuildBmp(bitfields8), "compression type not supported"},
        {"RLE on 32 bits", BuildBmp({.width = 2, .height = 2, .bpp = 32, .compression = 1}), "unknown compression"},
        {"a PNG",
         {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 16, 0, 0, 0, 16, 8, 2,
          0, 0, 0},
         "Error reading BMP info"},
        {"a JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1},
         "Error reading BMP info"},
        {"a cut file header", {'B', 'M', 0, 0}, "Not a BMP"},
        {"3000000 x 2000000", BuildBmp({.width = 3000000, .height = 2000000}), "Can't allocate memory"},
        {"offset beyond the file", farOffset, "Error reading BMP info"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CxImage image;
        EXPECT_FALSE(DecodeBytes(c.file, image, CXIMAGE_FORMAT_BMP));
        EXPECT_STREQ(image.GetLastError(), c.error);
    }
    CxImageBMP codec;
    EXPECT_FALSE(codec.Decode(nullptr));
}

TEST(BmpDecode, SizesThatCannotBeCreated) {
    // No image can be made for these; they fail as the allocation does.
    struct Case {
        int32_t width, height;
    };
    for (const Case c : {Case{0, 2}, Case{2, 0}, Case{-2, 2}, Case{2, INT32_MIN}, Case{70000, -70000}}) {
        CxImage image;
        const DibLayout s{.width = c.width, .height = c.height, .bits = std::vector<uint8_t>(16, 0)};
        EXPECT_FALSE(DecodeBytes(BuildBmp(s), image, CXIMAGE_FORMAT_BMP)) << c.width << "x" << c.height;
        EXPECT_STREQ(image.GetLastError(), "Can't allocate memory") << c.width << "x" << c.height;
        EXPECT_FALSE(image.IsValid());
    }
}

TEST(BmpDecode, FailureLeavesTheCallersImage) {
    CxImage image(3, 3, 8, 4);
    image.SetPixelIndex(1, 1, 5);
    EXPECT_FALSE(DecodeBytes({'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, image, CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetType(), 4u);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 5);
}

TEST(BmpDecode, ShortFilesDecodeWithClearedRows) {
    auto file = BuildBmp({.width = 4, .height = 4, .bits = Rows24(4, 4, false)});
    file.resize(file.size() - 2 * 12);  // the top two rows are missing
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetPixelColor(1, 1), TestColor(1, 1));
    EXPECT_EQ(image.GetPixelColor(1, 3), CxRgbQuad{});
}

TEST(BmpDecode, ProbeModeReportsDimensionsOnly) {
    CxImageBMP codec;
    ASSERT_TRUE(DecodeWithEscape(codec, BuildBmp(Paletted8(40, -3)), -1));
    EXPECT_STREQ(codec.GetLastError(), "output dimensions returned");
    EXPECT_EQ(codec.GetWidth(), 5u);
    EXPECT_EQ(codec.GetHeight(), 3u);
    EXPECT_FALSE(codec.IsValid());
    // The dimensions are reported as read, even those no image could have.
    CxImageBMP flat;
    DibLayout zero = Paletted8(40, 3);
    zero.width = 0;
    ASSERT_TRUE(DecodeWithEscape(flat, BuildBmp(zero), -1));
    EXPECT_STREQ(flat.GetLastError(), "output dimensions returned");
    EXPECT_EQ(flat.GetWidth(), 0u);
    EXPECT_EQ(flat.GetHeight(), 3u);
    // Failing before the dimensions are known is a failure, even when probing.
    CxImageBMP broken;
    std::vector<uint8_t> junk(20, 0);
    junk[0] = 'B';
    junk[1] = 'M';
    EXPECT_FALSE(DecodeWithEscape(broken, junk, -1));
}

TEST(BmpDecode, CancelledByEscape) {
    CxImageBMP codec;
    EXPECT_FALSE(DecodeWithEscape(codec, BuildBmp(Paletted8(40, 3)), 1));
    EXPECT_STREQ(codec.GetLastError(), "Cancelled");
}

TEST(BmpDecode, ShortColourTableAndOversizedCount) {
    DibLayout s = Paletted8(40, 3);
    s.palette.resize(3);
    s.clrUsed = 3;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(BuildDib(s), image, CXIMAGE_FORMAT_BMP));  // bare: the pixels follow 3 entries
    EXPECT_EQ(image.GetPixelIndex(2, 1), 81);
    EXPECT_EQ(image.GetPaletteColor(2).rgbBlue, 2);
    EXPECT_EQ(image.GetPaletteColor(3), CxRgbQuad{});
    s.clrUsed = 0x7FFFFFFF;  // far beyond the file
    EXPECT_FALSE(DecodeBytes(BuildDib(s), image, CXIMAGE_FORMAT_BMP));
}

}  // namespace
