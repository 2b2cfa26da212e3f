// The LZW data of one image: clear codes, table growth to 12 bits and past
// 4096 entries, streams without a first clear code, bad codes, sub-blocks.
#include <gtest/gtest.h>

#include <vector>

#include "gif_builder.h"
#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace giftest;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;

std::vector<uint8_t> AllIndices(const CxImage& image) {
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) out.push_back(IndexAt(image, x, y));
    return out;
}

// Decodes codes (code size 8) as one image of width x height on a 256-entry table.
std::vector<uint8_t> DecodeCodes(const std::vector<int>& codes, uint16_t width, uint16_t height, size_t block = 255) {
    CxImage image;
    const Bytes file = GifWriter()
                           .Screen(width, height, 256)
                           .Image(0, 0, width, height)
                           .Data(ImageData(8, PackCodes(codes, 8), block))
                           .Trailer()
                           .bytes;
    if (!DecodeBytes(file, image, CXIMAGE_FORMAT_GIF)) return {};
    return AllIndices(image);
}

TEST(GifLzw, OneIndexPictureStartsWithClearAt9BitsInSmallSubBlocks) {
    CxImage image(256, 256, 8, CXIMAGE_FORMAT_BMP);
    image.Clear(7);
    const Bytes file = EncodeBytes(image, CXIMAGE_FORMAT_GIF);
    // Screen, 768-byte table, graphic control (8 bytes), descriptor (10), code size.
    const size_t data = 13 + 768 + 8 + 10;
    ASSERT_GT(file.size(), data + 3);
    EXPECT_EQ(file[data], 8);
    const uint32_t first = file[data + 2] | (file[data + 3] << 8);
    EXPECT_EQ(first & 0x1FF, 256u) << "the clear code, 9 bits";
    EXPECT_EQ((first >> 9) & 0x1FF, 7u) << "then the index, 9 bits";
    for (size_t p = data + 1; file[p] != 0; p += 1 + file[p]) ASSERT_LE(file[p], 254);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF));
    for (uint8_t v : AllIndices(back)) ASSERT_EQ(v, 7);
}

TEST(GifLzw, StringsTableGrowthAndRepeatedCodes) {
    // 1 2 then 258 (= "1 2"), then 260 before it exists (= "1 2 1": previous + first).
    EXPECT_EQ(DecodeCodes({256, 1, 2, 258, 260, 257}, 9, 1), (std::vector<uint8_t>{1, 2, 1, 2, 1, 2, 1, 0, 0}));
    // The same string when the data arrives one byte per sub-block.
    EXPECT_EQ(DecodeCodes({256, 1, 2, 258, 260, 257}, 9, 1, 1), (std::vector<uint8_t>{1, 2, 1, 2, 1, 2, 1, 0, 0}));
    // Strings that cross rows.
    EXPECT_EQ(DecodeCodes({256, 3, 4, 258, 259, 257}, 2, 4), (std::vector<uint8_t>{3, 4, 3, 4, 4, 3, 0, 0}));
}

TEST(GifLzw, StreamWithoutAFirstClearCode) {
    // The first code is read as if after a clear: it adds no string, so 258
    // is the next string ("5 5"), as in every other reader.
    EXPECT_EQ(DecodeCodes({5, 258, 257}, 3, 1), (std::vector<uint8_t>{5, 5, 5}));
    EXPECT_EQ(DecodeCodes({9, 9, 258, 257}, 4, 1), (std::vector<uint8_t>{9, 9, 9, 9}));
    // A first code past the table becomes 0, as after a clear.
    EXPECT_EQ(DecodeCodes({300, 4, 257}, 2, 1), (std::vector<uint8_t>{0, 4}));
}

TEST(GifLzw, PastTheFullTableDecodingGoesOnAtTwelveBits) {
    // Literal codes without clears fill the table to 4096 entries; the
    // packer follows the widths up to 12 bits and stays there.
    std::vector<int> codes{256};
    std::vector<uint8_t> expected;
    const size_t count = 4096 + 600;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t v = static_cast<uint8_t>((i * 31 + i / 7) & 0xFF);
        codes.push_back(v);
        expected.push_back(v);
    }
    // After the table is full, a string code still refers to entry 300.
    codes.push_back(300);
    const uint8_t e0 = expected[300 - 258];
    const uint8_t e1 = expected[300 - 258 + 1];
    expected.push_back(e0);
    expected.push_back(e1);
    codes.push_back(257);
    const std::vector<uint8_t> got = DecodeCodes(codes, static_cast<uint16_t>(expected.size()), 1);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(got, expected);
}

TEST(GifLzw, ManyClearsAndDoubleClears) {
    EXPECT_EQ(DecodeCodes({256, 256, 1, 256, 2, 256, 256, 256, 3, 257}, 3, 1), (std::vector<uint8_t>{1, 2, 3}));
    // A first code after a clear that is not in the table becomes 0.
    EXPECT_EQ(DecodeCodes({256, 300, 4, 257}, 2, 1), (std::vector<uint8_t>{0, 4}));
}

TEST(GifLzw, CodesBeyondTheTableAreCountedAndTheStreamResynchronises) {
    // Image 1 has a code far past the next free one; image 2 must still be found.
    GifWriter w;
    w.Screen(4, 1, 256).Image(0, 0, 4, 1).Data(ImageData(8, PackCodes({256, 1, 2, 900, 3, 257}, 8)));
    w.Image(0, 0, 4, 1).Pixels({9, 8, 7, 6}).Trailer();
    CxImage first;
    ASSERT_TRUE(DecodeBytes(w.bytes, first, CXIMAGE_FORMAT_GIF, 0));
    EXPECT_EQ(first.GetNumFrames(), 2);
    // 900 decodes as the previous string plus its first character: "2 2".
    EXPECT_EQ(AllIndices(first), (std::vector<uint8_t>{1, 2, 2, 2}));
    CxImage second;
    ASSERT_TRUE(DecodeBytes(w.bytes, second, CXIMAGE_FORMAT_GIF, 1));
    EXPECT_EQ(AllIndices(second), (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST(GifLzw, CodesThatReferToEachOtherDoNotOverrunTheStack) {
    // Bad codes make entries whose prefixes point forward; a long run of
    // them must end the image, not write past the string stack.
    std::vector<int> codes{256, 1};
    for (int i = 0; i < 3000; ++i) codes.push_back(4000 - (i % 7));
    codes.push_back(257);
    CxImage image;
    const Bytes file = GifWriter()
                           .Screen(200, 200, 256)
                           .Image(0, 0, 200, 200)
                           .Data(ImageData(8, PackCodes(codes, 8)))
                           .Trailer()
                           .bytes;
    EXPECT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF));
    EXPECT_TRUE(image.IsValid());
}

TEST(GifLzw, CodeSizesTwoToEleven) {
    for (int size = 2; size <= 11; ++size) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 40; ++i) pixels.push_back(static_cast<uint8_t>((i * 5) % (1 << std::min(size, 8))));
        CxImage image;
        const Bytes file = GifWriter()
                               .Screen(8, 5, 256)
                               .Image(0, 0, 8, 5)
                               .Data(ImageData(size, PackCodes(LiteralCodes(pixels, size), size)))
                               .Trailer()
                               .bytes;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF)) << size;
        EXPECT_EQ(AllIndices(image), pixels) << size;
    }
}

}  // namespace
