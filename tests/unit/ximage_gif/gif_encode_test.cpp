// Encoding: the file layout of palette images and of the 24-bit mosaic, and
// round trips of random pictures through encoder and decoder.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gif_builder.h"
#include "support/codec_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace giftest;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;

// The blocks of a file, walked by their lengths.
struct Block {
    uint8_t kind = 0;  // 0x21 extension (label in `label`), 0x2C image
    uint8_t label = 0;
    size_t offset = 0;
    uint16_t left = 0, top = 0, width = 0, height = 0;
    uint8_t packed = 0;
    std::vector<size_t> subBlockSizes;
    uint8_t codeSize = 0;
};

std::vector<Block> WalkBlocks(const Bytes& file, size_t& trailer) {
    std::vector<Block> blocks;
    size_t p = 13;
    if (file[10] & 0x80) p += 3u << ((file[10] & 7) + 1);
    trailer = 0;
    while (p < file.size()) {
        Block b;
        b.kind = file[p];
        b.offset = p;
        if (file[p] == 0x3B) {
            trailer = p;
            break;
        }
        if (file[p] == 0x21) {
            b.label = file[p + 1];
            p += 2;
        } else if (file[p] == 0x2C) {
            b.left = static_cast<uint16_t>(file[p + 1] | file[p + 2] << 8);
            b.top = static_cast<uint16_t>(file[p + 3] | file[p + 4] << 8);
            b.width = static_cast<uint16_t>(file[p + 5] | file[p + 6] << 8);
            b.height = static_cast<uint16_t>(file[p + 7] | file[p + 8] << 8);
            b.packed = file[p + 9];
            p += 10;
            if (b.packed & 0x80) p += 3u << ((b.packed & 7) + 1);
            b.codeSize = file[p++];
        } else {
            ADD_FAILURE() << "unexpected byte " << int(file[p]) << " at " << p;
            break;
        }
        while (p < file.size() && file[p] != 0) {
            b.subBlockSizes.push_back(file[p]);
            p += 1 + file[p];
        }
        ++p;
        blocks.push_back(b);
    }
    return blocks;
}

void RandomPalette(CxImage& image, uint32_t width, uint32_t height, uint32_t bpp, std::mt19937& rng) {
    image.Create(width, height, bpp, CXIMAGE_FORMAT_BMP);
    const uint32_t colors = image.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                              static_cast<uint8_t>(rng()));
    // Runs and noise, so that both long strings and table growth happen.
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = (rng() % 4 == 0) ? rng() : (x / 5 + y / 3);
            if (colors == 0) image.SetPixelColor(x, y, CxImage::ColorRefToQuad(v & 0xFFFFFF));
            else image.SetPixelIndex(x, y, static_cast<uint8_t>(v % colors));
        }
}

TEST(GifEncode, EightBitImageLayout) {
    std::mt19937 rng(5);
    CxImage image;
    RandomPalette(image, 300, 200, 8, rng);
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
    ASSERT_GT(file.size(), 13u + 768u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
    EXPECT_EQ(file[6] | file[7] << 8, 300);
    EXPECT_EQ(file[8] | file[9] << 8, 200);
    EXPECT_EQ(file[10], 0xE7);
    EXPECT_EQ(file[11], 0);
    EXPECT_EQ(file[12], 0);
    for (int i = 0; i < 256; ++i) {
        const CxRgbQuad c = image.GetPaletteColor(static_cast<uint8_t>(i));
        ASSERT_EQ(file[13 + 3 * i], c.rgbRed);
        ASSERT_EQ(file[13 + 3 * i + 2], c.rgbBlue);
    }
    size_t trailer = 0;
    const auto blocks = WalkBlocks(file, trailer);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].label, 0xF9);
    const Bytes control(file.begin() + static_cast<ptrdiff_t>(blocks[0].offset),
                        file.begin() + static_cast<ptrdiff_t>(blocks[0].offset) + 8);
    EXPECT_EQ(control, (Bytes{0x21, 0xF9, 4, 0x00, 0, 0, 0xFF, 0})) << "no transparency";
    EXPECT_EQ(blocks[1].kind, 0x2C);
    EXPECT_EQ(blocks[1].packed, 0x00);
    EXPECT_EQ(blocks[1].codeSize, 8);
    for (size_t n : blocks[1].subBlockSizes) EXPECT_LE(n, 254u);
    EXPECT_EQ(trailer, file.size() - 1);

    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF));
    ASSERT_EQ(back.GetBpp(), 8u);
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 0; x < 300; ++x) ASSERT_EQ(back.GetPixelIndex(x, y), image.GetPixelIndex(x, y));
}

TEST(GifEncode, HeaderBytesForEachDepthAndTransparency) {
    struct Case {
        uint32_t bpp;
        uint8_t packed;
        uint8_t codeSize;
    };
    std::mt19937 rng(9);
    for (const Case c : {Case{1, 0x80, 2}, Case{4, 0xE3, 4}, Case{8, 0xE7, 8}}) {
        CxImage image;
    RandomPalette(image, 13, 7, c.bpp, rng);
        image.SetTransIndex(1);
        const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(file[10], c.packed) << c.bpp;
        size_t trailer = 0;
        const auto blocks = WalkBlocks(file, trailer);
        ASSERT_EQ(blocks.size(), 2u);
        const size_t g = blocks[0].offset;
        EXPECT_EQ(file[g + 3], 0x01) << "transparent flag";
        EXPECT_EQ(file[g + 6], 1) << "transparent index";
        EXPECT_EQ(blocks[1].codeSize, c.codeSize);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF));
        EXPECT_EQ(back.GetBpp(), c.bpp);
        EXPECT_EQ(back.GetTransIndex(), 1);
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 13; ++x) ASSERT_EQ(back.GetPixelIndex(x, y), image.GetPixelIndex(x, y));
    }
}

TEST(GifEncode, DelayAndCommentOfADecodedFileAreWrittenBack) {
    const Bytes source = GifWriter().Screen(2, 2, 4).Control(0x01, 77, 3).Image(0, 0, 2, 2).Pixels({0, 1, 2, 3}, 2)
                             .Trailer().bytes;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(source, image, CXIMAGE_FORMAT_GIF));
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
    size_t trailer = 0;
    const auto blocks = WalkBlocks(file, trailer);
    ASSERT_EQ(blocks.size(), 2u);
    const size_t g = blocks[0].offset;
    EXPECT_EQ(Bytes(file.begin() + static_cast<ptrdiff_t>(g), file.begin() + static_cast<ptrdiff_t>(g) + 8),
              (Bytes{0x21, 0xF9, 4, 0x01, 77, 0, 3, 0}));
}

TEST(GifEncode, TwentyFourBitImageBecomesTilesWithLocalTables) {
    CxImage image(18, 16, 24, CXIMAGE_FORMAT_BMP);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 18; ++x)
            image.SetPixelColor(x, y, CxRgbQuad{static_cast<uint8_t>(x * 13), static_cast<uint8_t>(y * 15),
                                                static_cast<uint8_t>(x * y), 0});
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file[10], 0x11) << "no global table";
    size_t trailer = 0;
    const auto blocks = WalkBlocks(file, trailer);
    ASSERT_EQ(blocks.size(), 8u);
    struct Expected {
        uint16_t left, top, width, height;
    };
    const Expected tiles[] = {{0, 0, 17, 15}, {17, 0, 1, 15}, {0, 15, 17, 1}, {17, 15, 1, 1}};
    for (size_t i = 0; i < 4; ++i) {
        const Block& control = blocks[2 * i];
        const Block& tile = blocks[2 * i + 1];
        EXPECT_EQ(control.label, 0xF9);
        EXPECT_EQ(file[control.offset + 3], 0x00);
        EXPECT_EQ(tile.left, tiles[i].left);
        EXPECT_EQ(tile.top, tiles[i].top);
        EXPECT_EQ(tile.width, tiles[i].width);
        EXPECT_EQ(tile.height, tiles[i].height);
        EXPECT_EQ(tile.packed, 0x87);
        EXPECT_EQ(tile.codeSize, 8);
    }
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF));
    ASSERT_EQ(back.GetBpp(), 24u);
    EXPECT_EQ(back.GetNumFrames(), 4);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 18; ++x)
            ASSERT_EQ(back.GetPixelColor(x, y, false), image.GetPixelColor(x, y, false)) << x << "," << y;
}

TEST(GifEncode, PropertyRandomPaletteImagesRoundTrip) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 30; ++round) {
        const uint32_t bpp = round % 3 == 0 ? 1 : round % 3 == 1 ? 4 : 8;
        const uint32_t width = 1 + 2 * (rng() % 90);
        const uint32_t height = 1 + 2 * (rng() % 60);
        CxImage image;
    RandomPalette(image, width, height, bpp, rng);
        const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF)) << width << "x" << height << "x" << bpp;
        ASSERT_EQ(back.GetBpp(), bpp);
        ASSERT_EQ(back.GetWidth(), width);
        ASSERT_EQ(back.GetHeight(), height);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(back.GetPixelIndex(x, y), image.GetPixelIndex(x, y)) << width << "x" << height << "x" << bpp;
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            ASSERT_EQ(back.GetPaletteColor(static_cast<uint8_t>(i)), image.GetPaletteColor(static_cast<uint8_t>(i)));
    }
}

TEST(GifEncode, PropertyRandom24BitImagesKeepEveryColour) {
    std::mt19937 rng(99);
    for (int round = 0; round < 12; ++round) {
        const uint32_t width = 1 + rng() % 60;
        const uint32_t height = 1 + rng() % 50;
        CxImage image(width, height, 24, CXIMAGE_FORMAT_BMP);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t v = rng() % 3 == 0 ? 0x123456 : rng();  // repeats exercise the lowest-index search
                image.SetPixelColor(x, y, CxImage::ColorRefToQuad(v & 0xFFFFFF));
            }
        const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF)) << width << "x" << height;
        ASSERT_EQ(back.GetWidth(), width);
        ASSERT_EQ(back.GetHeight(), height);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(back.GetPixelColor(x, y, false), image.GetPixelColor(x, y, false))
                    << width << "x" << height << " at " << x << "," << y;
    }
}

TEST(GifEncode, TransparentTwentyFourBitTilesUseIndexZero) {
    CxImage image(20, 3, 24, CXIMAGE_FORMAT_BMP);
    const CxRgbQuad key{10, 20, 30, 0};
    image.SetTransIndex(0);
    image.SetTransColor(key);
    for (uint32_t x = 0; x < 20; ++x) image.SetPixelColor(x, 1, x % 2 ? key : CxRgbQuad{200, 100, 50, 0});
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
    size_t trailer = 0;
    const auto blocks = WalkBlocks(file, trailer);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(file[blocks[0].offset + 3], 0x01);
    EXPECT_EQ(file[blocks[0].offset + 6], 0);
    // Entry 0 of the local table is the transparent colour.
    const size_t table = blocks[1].offset + 10;
    EXPECT_EQ(file[table], key.rgbRed);
    EXPECT_EQ(file[table + 1], key.rgbGreen);
    EXPECT_EQ(file[table + 2], key.rgbBlue);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(back.GetTransIndex(), 0);
    EXPECT_EQ(back.GetTransColor().rgbRed, key.rgbRed);
}

TEST(GifEncode, RefusalsAndWriteErrors) {
    CxImage empty;
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(empty.Encode(&stream, CXIMAGE_FORMAT_GIF));
    CxImage image(3, 3, 8, CXIMAGE_FORMAT_BMP);
    EXPECT_FALSE(image.Encode(nullptr, CXIMAGE_FORMAT_GIF));

    CxImage wide(70000, 1, 8, CXIMAGE_FORMAT_BMP);
    ASSERT_TRUE(wide.IsValid());
    CxMemStream out;
    ASSERT_TRUE(out.Open());
    EXPECT_FALSE(wide.Encode(&out, CXIMAGE_FORMAT_GIF));
    EXPECT_STREQ(wide.GetLastError(), "Image too large for GIF");
}

// A stream whose writes all fail and that says so.
class BrokenStream : public CxMemStream {
public:
    BrokenStream() { Open(); }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    bool PutC(uint8_t) override { return false; }
    int32_t Error() override { return 1; }
};

TEST(GifEncode, AStreamErrorAfterTheEndCodeFailsTheEncode) {
    std::mt19937 rng(3);
    for (uint32_t bpp : {8u, 24u}) {
        CxImage image;
        RandomPalette(image, 40, 30, bpp, rng);
        BrokenStream stream;
        EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_GIF)) << bpp;
        EXPECT_STREQ(image.GetLastError(), "Write Error in GIF file") << bpp;
    }
}

}  // namespace
