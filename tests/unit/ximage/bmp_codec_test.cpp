// The BMP codec: what it writes, and every layout it reads.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bmp_builder.h"
#include "ximage/codecs/ximage_bmp.h"
#include "ximage/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::BuildBmp;
using qlry::test::BuildDib;
using qlry::test::DibSpec;
using qlry::test::SamePixels;
using qlry::test::TestColor;

std::vector<uint8_t> EncodeBmp(CxImage& image) {
    CxMemStream stream;
    EXPECT_TRUE(stream.Open());
    EXPECT_TRUE(image.Encode(&stream, CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    const uint8_t* bytes = stream.GetBuffer(false);
    return std::vector<uint8_t>(bytes, bytes + stream.Size());
}

bool DecodeBmp(const std::vector<uint8_t>& bytes, CxImage& out) {
    std::vector<uint8_t> copy = bytes;  // exact size: ASan sees any over-read
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    return out.Decode(&stream, CXIMAGE_FORMAT_BMP);
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// The expected 24-bit picture, for comparing decoded files against.
std::unique_ptr<CxImage> Expected24(uint32_t width, uint32_t height, int shift16 = 0) {
    auto image = std::make_unique<CxImage>(width, height, 24, 1);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            CxRgbQuad c = TestColor(x, y);
            if (shift16) {  // what survives 5-bit (or 6-bit green) channels
                c.rgbRed &= 0xF8;
                c.rgbBlue &= 0xF8;
                c.rgbGreen &= shift16 == 565 ? 0xFC : 0xF8;
            }
            image->SetPixelColor(x, y, c);
        }
    return image;
}

TEST(BmpEncode, FileLayoutFor24And1Bits) {
    CxImage rgb(2, 2, 24, 1);
    const auto file = EncodeBmp(rgb);
    ASSERT_EQ(file.size(), 70u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 70u);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14 + 20), 16u);  // two rows of 8 bytes

    CxImage mono(10, 3, 1, 1);
    const auto monoFile = EncodeBmp(mono);
    EXPECT_EQ(U32At(monoFile, 10), 62u);
    EXPECT_EQ(monoFile.size(), 62u + 12u);
}

TEST(BmpEncode, CarriesTheCurrentResolution) {
    CxImage image(2, 2, 8, 1);
    image.SetXDpi(300);
    const auto file = EncodeBmp(image);
    EXPECT_EQ(U32At(file, 14 + 24), 11811u);
    CxImage back;
    ASSERT_TRUE(DecodeBmp(file, back));
    EXPECT_EQ(back.GetXDpi(), 300);
    EXPECT_EQ(back.GetYDpi(), 96);
}

class BmpRoundTrip : public ::testing::TestWithParam<uint32_t> {};

TEST_P(BmpRoundTrip, EveryDepthAndOddWidths) {
    for (uint32_t width : {1u, 2u, 3u, 7u, 31u, 33u}) {
        CxImage image(width, 5, GetParam(), 1);
        qlry::test::FillTestPicture(image);
        const auto file = EncodeBmp(image);
        CxImage back;
        ASSERT_TRUE(DecodeBmp(file, back)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), GetParam());
        EXPECT_EQ(back.GetType(), CXIMAGE_FORMAT_BMP);
        EXPECT_TRUE(SamePixels(back, image)) << "width " << width;
        EXPECT_EQ(std::memcmp(back.GetDib() + 40, image.GetDib() + 40, image.GetSize() - 40), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, ::testing::Values(1u, 4u, 8u, 24u));

DibSpec Paletted8(uint32_t headerSize, int32_t height) {
    DibSpec s;
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
    ASSERT_TRUE(DecodeBmp(BuildBmp(Paletted8(40, 3)), reference)) << reference.GetLastError();
    EXPECT_EQ(reference.GetPixelIndex(2, 1), 81);
    for (uint32_t headerSize : {12u, 16u, 52u, 56u, 64u, 108u, 124u}) {
        CxImage image;
        ASSERT_TRUE(DecodeBmp(BuildBmp(Paletted8(headerSize, 3)), image)) << headerSize << image.GetLastError();
        EXPECT_TRUE(SamePixels(image, reference)) << headerSize;
        EXPECT_EQ(std::memcmp(image.GetPalette(), reference.GetPalette(), 1024), 0) << headerSize;
    }
    CxImage topDown;
    ASSERT_TRUE(DecodeBmp(BuildBmp(Paletted8(40, -3)), topDown));
    EXPECT_TRUE(SamePixels(topDown, reference));
    // A bare DIB: no file header, the pixels right behind the palette.
    CxImage bare;
    ASSERT_TRUE(DecodeBmp(BuildDib(Paletted8(40, 3)), bare));
    EXPECT_TRUE(SamePixels(bare, reference));
    CxImage bareCore;
    ASSERT_TRUE(DecodeBmp(BuildDib(Paletted8(12, 3)), bareCore));
    EXPECT_TRUE(SamePixels(bareCore, reference));
}

TEST(BmpDecode, UnknownLongHeaderOnlyWhenPlain) {
    // A header size no version has is believed only for a plain uncompressed layout.
    DibSpec rgb;
    rgb.headerSize = 72;
    rgb.width = 3;
    rgb.height = 2;
    rgb.bpp = 24;
    rgb.sizeImage = 24;
    rgb.bits = qlry::test::Rows24(3, 2, false);
    CxImage image;
    ASSERT_TRUE(DecodeBmp(BuildBmp(rgb), image)) << image.GetLastError();
    EXPECT_TRUE(SamePixels(image, *Expected24(3, 2)));
    rgb.sizeImage = 25;
    EXPECT_FALSE(DecodeBmp(BuildBmp(rgb), image));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
    rgb.sizeImage = 24;
    rgb.clrUsed = 1;
    EXPECT_FALSE(DecodeBmp(BuildBmp(rgb), image));
    rgb.clrUsed = 0;
    rgb.planes = 2;
    EXPECT_FALSE(DecodeBmp(BuildBmp(rgb), image));
    rgb.headerSize = 20;  // below 40 and not a known short header
    rgb.planes = 1;
    EXPECT_FALSE(DecodeBmp(BuildBmp(rgb), image));
}

TEST(BmpDecode, SixteenBitMasks) {
    const uint32_t w = 7, h = 3;
    for (bool topDown : {false, true}) {
        DibSpec s;
        s.width = w;
        s.height = topDown ? -int32_t{h} : int32_t{h};
        s.bpp = 16;
        s.bits = qlry::test::Rows16(w, h, false, topDown);
        CxImage image;
        ASSERT_TRUE(DecodeBmp(BuildBmp(s), image)) << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 24u);
        EXPECT_TRUE(SamePixels(image, *Expected24(w, h, 555)));

        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.bits = qlry::test::Rows16(w, h, true, topDown);
        ASSERT_TRUE(DecodeBmp(BuildBmp(s), image)) << image.GetLastError();
        EXPECT_TRUE(SamePixels(image, *Expected24(w, h, 565)));
        for (uint32_t header : {56u, 124u}) {
            s.headerSize = header;
            ASSERT_TRUE(DecodeBmp(BuildBmp(s), image)) << header;
            EXPECT_TRUE(SamePixels(image, *Expected24(w, h, 565))) << header;
        }
    }
}

TEST(BmpDecode, ThirtyTwoBitsWithAndWithoutMasks) {
    const uint32_t w = 5, h = 4;
    DibSpec s;
    s.width = w;
    s.height = h;
    s.bpp = 32;
    s.bits = qlry::test::Rows32(w, h, false);
    CxImage image;
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
    EXPECT_TRUE(SamePixels(image, *Expected24(w, h)));
    EXPECT_FALSE(image.AlphaIsValid());  // fourth bytes all zero
    // Masks in another order are honoured: R and B swapped in storage.
    s.compression = 3;
    s.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    for (size_t i = 0; i < s.bits.size(); i += 4) std::swap(s.bits[i], s.bits[i + 2]);
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
    EXPECT_TRUE(SamePixels(image, *Expected24(w, h)));
    // In files the fourth byte of plain 32-bit pixels is unused...
    s.compression = 0;
    s.masks.clear();
    s.bits = qlry::test::Rows32(w, h, true, 128);
    s.height = -int32_t{h};
    s.bits[3] = 7;  // top-left pixel of the top-down rows
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_TRUE(SamePixels(image, *Expected24(w, h)));
    // ...and alpha when a version 5 header names a mask for it.
    s.headerSize = 124;
    s.compression = 3;
    s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, h - 1), 7);
    EXPECT_EQ(image.AlphaGet(1, 0), 128);
    // A 40-byte header with four masks (BI_ALPHABITFIELDS).
    s.headerSize = 40;
    s.compression = 6;
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image)) << image.GetLastError();
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, h - 1), 7);
}

TEST(BmpDecode, Rle8AndRle4MatchTheirPlainTwins) {
    // 4 x 3, 8 bits: row 0 = 1 1 1 2, row 1 = 0 0 (delta) ..., row 2 = 3 4 5 6 (absolute).
    DibSpec s;
    s.width = 4;
    s.height = 3;
    s.bpp = 8;
    s.compression = 1;
    for (int i = 0; i < 256; ++i) s.palette.push_back(CxRgbQuad{static_cast<uint8_t>(i), 0, 0, 0});
    s.bits = {3, 1, 1, 2, 0, 0,      // row 0, end of line
              0, 2, 1, 0, 2, 9,      // delta right 1, then two 9s on row 1
              0, 0,                  // end of line (row 2)
              0, 4, 3, 4, 5, 6,      // absolute run of 4
              0, 1};
    CxImage image;
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image)) << image.GetLastError();
    const uint8_t expected[3][4] = {{1, 1, 1, 2}, {0, 9, 9, 0}, {3, 4, 5, 6}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixelIndex(x, y), expected[y][x]) << x << "," << y;

    // RLE4: a run of 5 alternating nibbles starting mid-byte after a delta.
    DibSpec r4;
    r4.width = 8;
    r4.height = 1;
    r4.bpp = 4;
    r4.compression = 2;
    for (int i = 0; i < 16; ++i) r4.palette.push_back(CxRgbQuad{static_cast<uint8_t>(i), 0, 0, 0});
    r4.bits = {0, 2, 1, 0,          // move to x = 1
               5, 0x12,             // 1 2 1 2 1
               0, 3, 0xAB, 0xC0,    // absolute A B C (odd byte count: padded below)
               0, 1};
    // Absolute run of 3 nibbles uses 2 bytes (even): no pad byte.
    ASSERT_TRUE(DecodeBmp(BuildBmp(r4), image)) << image.GetLastError();
    const uint8_t row[8] = {0, 1, 2, 1, 2, 1, 10, 11};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(image.GetPixelIndex(x, 0), row[x]) << x;
}

TEST(BmpDecode, RleNeverWritesOutsideTheImage) {
    DibSpec s;
    s.width = 3;
    s.height = 2;
    s.bpp = 8;
    s.compression = 1;
    // Runs longer than the row, deltas past the top, an absolute run past the end.
    s.bits = {255, 7, 0, 2, 200, 0, 0, 2, 0, 1, 0, 200};
    for (int i = 0; i < 100; ++i) s.bits.push_back(0xEE);
    s.bits.insert(s.bits.end(), {0, 2, 0, 255, 9, 9});
    CxImage image;
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
    EXPECT_EQ(image.GetPixelIndex(2, 0), 7);
    s.bpp = 4;
    s.compression = 2;
    ASSERT_TRUE(DecodeBmp(BuildBmp(s), image));
}

TEST(BmpDecode, ErrorTexts) {
    CxImage image;
    DibSpec rgb;
    rgb.width = 2;
    rgb.height = 2;
    rgb.bits = qlry::test::Rows24(2, 2, false);
    rgb.compression = 1;
    EXPECT_FALSE(DecodeBmp(BuildBmp(rgb), image));
    EXPECT_STREQ(image.GetLastError(), "unknown compression");

    DibSpec pal = Paletted8(40, 3);
    pal.compression = 3;
    EXPECT_FALSE(DecodeBmp(BuildBmp(pal), image));
    EXPECT_STREQ(image.GetLastError(), "compression type not supported");

    DibSpec deep;
    deep.width = 2;
    deep.height = 2;
    deep.bpp = 32;
    deep.compression = 1;
    EXPECT_FALSE(DecodeBmp(BuildBmp(deep), image));
    EXPECT_STREQ(image.GetLastError(), "unknown compression");

    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H',
                                      'D',  'R', 0,   0,   0,    16,   0,    0,    0, 16, 8, 2, 0, 0, 0};
    EXPECT_FALSE(DecodeBmp(png, image));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1};
    EXPECT_FALSE(DecodeBmp(jpeg, image));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
    EXPECT_FALSE(DecodeBmp({'B', 'M', 0, 0}, image));
    EXPECT_STREQ(image.GetLastError(), "Not a BMP");

    DibSpec huge;
    huge.width = 3000000;
    huge.height = 2000000;
    EXPECT_FALSE(DecodeBmp(BuildBmp(huge), image));
    EXPECT_STREQ(image.GetLastError(), "Can't allocate memory");

    auto farOffset = BuildBmp(Paletted8(40, 3));
    farOffset[10] = farOffset[11] = farOffset[12] = 0xF0;
    farOffset[13] = 0xFF;  // bfOffBits beyond any 32-bit position
    EXPECT_FALSE(DecodeBmp(farOffset, image));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");

    CxImageBMP codec;
    EXPECT_FALSE(codec.Decode(nullptr));
}

TEST(BmpDecode, SizesThatCannotBeCreated) {
    // No image can be made for these; they fail as the allocation does.
    struct Case {
        int32_t width, height;
    };
    for (const Case c : {Case{0, 2}, Case{2, 0}, Case{-2, 2}, Case{2, INT32_MIN}, Case{70000, -70000}}) {
        DibSpec s;
        s.width = c.width;
        s.height = c.height;
        s.bits.assign(16, 0);
        CxImage image;
        EXPECT_FALSE(DecodeBmp(BuildBmp(s), image)) << c.width << "x" << c.height;
        EXPECT_STREQ(image.GetLastError(), "Can't allocate memory") << c.width << "x" << c.height;
        EXPECT_FALSE(image.IsValid());
    }
}

TEST(BmpDecode, FailureLeavesTheCallersImage) {
    CxImage image(3, 3, 8, 4);
    image.SetPixelIndex(1, 1, 5);
    EXPECT_FALSE(DecodeBmp({'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, image));
    EXPECT_EQ(image.GetType(), 4u);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 5);
}

TEST(BmpDecode, ShortFilesDecodeWithClearedRows) {
    DibSpec s;
    s.width = 4;
    s.height = 4;
    s.bits = qlry::test::Rows24(4, 4, false);
    auto file = BuildBmp(s);
    file.resize(file.size() - 2 * 12);  // the top two rows are missing
    CxImage image;
    ASSERT_TRUE(DecodeBmp(file, image));
    EXPECT_EQ(image.GetPixelColor(1, 1), TestColor(1, 1));
    EXPECT_EQ(image.GetPixelColor(1, 3), CxRgbQuad{});
}

TEST(BmpDecode, ProbeModeReportsDimensionsOnly) {
    CxImageBMP codec;
    codec.SetEscape(-1);
    auto file = BuildBmp(Paletted8(40, -3));
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    ASSERT_TRUE(codec.Decode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "output dimensions returned");
    EXPECT_EQ(codec.GetWidth(), 5u);
    EXPECT_EQ(codec.GetHeight(), 3u);
    EXPECT_FALSE(codec.IsValid());
    // The dimensions are reported as read, even those no image could have.
    CxImageBMP flat;
    flat.SetEscape(-1);
    DibSpec zero = Paletted8(40, 3);
    zero.width = 0;
    auto zeroFile = BuildBmp(zero);
    CxMemStream zeroStream(zeroFile.data(), static_cast<int32_t>(zeroFile.size()));
    ASSERT_TRUE(flat.Decode(&zeroStream));
    EXPECT_STREQ(flat.GetLastError(), "output dimensions returned");
    EXPECT_EQ(flat.GetWidth(), 0u);
    EXPECT_EQ(flat.GetHeight(), 3u);
    // Failing before the dimensions are known is a failure, even when probing.
    CxImageBMP broken;
    broken.SetEscape(-1);
    uint8_t junk[20] = {'B', 'M'};
    CxMemStream junkStream(junk, sizeof(junk));
    EXPECT_FALSE(broken.Decode(&junkStream));
}

TEST(BmpDecode, CancelledByEscape) {
    CxImageBMP codec;
    codec.SetEscape(1);
    auto file = BuildBmp(Paletted8(40, 3));
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    EXPECT_FALSE(codec.Decode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "Cancelled");
}

TEST(BmpDecode, ShortColourTableAndOversizedCount) {
    DibSpec s = Paletted8(40, 3);
    s.palette.resize(3);
    s.clrUsed = 3;
    CxImage image;
    ASSERT_TRUE(DecodeBmp(BuildDib(s), image));  // bare: the pixels follow 3 entries
    EXPECT_EQ(image.GetPixelIndex(2, 1), 81);
    EXPECT_EQ(image.GetPaletteColor(2).rgbBlue, 2);
    EXPECT_EQ(image.GetPaletteColor(3), CxRgbQuad{});
    s.clrUsed = 0x7FFFFFFF;  // far beyond the file
    EXPECT_FALSE(DecodeBmp(BuildDib(s), image));
}

}  // namespace
