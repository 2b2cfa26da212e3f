// Decoding: signatures, probe mode, the canvas of the first image, interlaced
// rows, colour tables and depths, extensions, frames and the tiled mode.
#include <gtest/gtest.h>

#include <vector>

#include "gif_builder.h"
#include "support/codec_test_support.h"
#include "ximage/codecs/ximage_gif.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace giftest;
using qlry::test::DecodeBytes;

std::vector<uint8_t> Ramp(size_t count, int modulo) {
    std::vector<uint8_t> v(count);
    for (size_t i = 0; i < count; ++i) v[i] = static_cast<uint8_t>((i * 7 + i / 5) % modulo);
    return v;
}

void ExpectIndices(const CxImage& image, uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
                   const std::string& what) {
    ASSERT_EQ(image.GetWidth(), width) << what;
    ASSERT_EQ(image.GetHeight(), height) << what;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(IndexAt(image, x, y), indices[y * width + x]) << what << " at " << x << "," << y;
}

TEST(GifDecode, Gif87aAndGif89aDecodeAlikeAndOtherSignaturesAreRefused) {
    const auto pixels = Ramp(12 * 5, 256);
    for (const char* signature : {"GIF87a", "GIF89a", "GIF8zz"}) {
        CxImage image;
        ASSERT_TRUE(
            DecodeBytes(GifWriter(signature).Screen(12, 5, 256).Image(0, 0, 12, 5).Pixels(pixels).Trailer().bytes,
                        image, CXIMAGE_FORMAT_GIF))
            << signature;
        EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_GIF);
        EXPECT_EQ(image.GetBpp(), 8u);
        ExpectIndices(image, 12, 5, pixels, signature);
        EXPECT_EQ(image.GetPaletteColor(9), TableColor(9));
    }
    for (const char* signature : {"GIF7aa", "gif89a", "GIF9aa"}) {
        CxImage image;
        image.SetLastErrorText("before");
        EXPECT_FALSE(DecodeBytes(GifWriter(signature).Screen(2, 2, 2).Image(0, 0, 2, 2).Pixels({0, 1, 1, 0}).bytes,
                                 image, CXIMAGE_FORMAT_GIF));
        EXPECT_FALSE(image.IsValid());
        EXPECT_STREQ(image.GetLastError(), "before") << "GIF decoding writes no text of its own";
    }
    CxImage tooShort;
    EXPECT_FALSE(DecodeBytes({'G', 'I', 'F', '8', '9', 'a', 1, 0}, tooShort, CXIMAGE_FORMAT_GIF));
}

TEST(GifDecode, ProbeModeGivesTheScreenSizeOnly) {
    CxImageGIF codec;
    codec.SetEscape(-1);
    Bytes file = GifWriter().Screen(321, 123, 0).bytes;  // nothing after the screen
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    ASSERT_TRUE(codec.Decode(&stream));
    EXPECT_EQ(codec.GetWidth(), 321u);
    EXPECT_EQ(codec.GetHeight(), 123u);
    EXPECT_FALSE(codec.IsValid());
    EXPECT_EQ(stream.Tell(), 13);
}

TEST(GifDecode, SmallImageSitsAtItsOffsetOnATransparentCanvas) {
    const auto pixels = Ramp(3 * 2, 16);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(
        GifWriter().Screen(7, 6, 16).Control(0x01, 0, 9).Image(2, 3, 3, 2).Pixels(pixels, 4).Trailer().bytes, image,
        CXIMAGE_FORMAT_GIF));
    ASSERT_EQ(image.GetWidth(), 7u);
    ASSERT_EQ(image.GetHeight(), 6u);
    EXPECT_EQ(image.GetBpp(), 4u);
    EXPECT_EQ(image.GetTransIndex(), 9);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 3 && y < 5;
            EXPECT_EQ(IndexAt(image, x, y), inside ? pixels[(y - 3) * 3 + (x - 2)] : 9) << x << "," << y;
        }
    // Without a graphic control extension the canvas is index 0, with no transparency.
    CxImage plain;
    ASSERT_TRUE(DecodeBytes(GifWriter().Screen(5, 4, 16).Image(1, 1, 2, 2).Pixels({3, 4, 5, 6}, 4).Trailer().bytes,
                            plain, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(plain.GetTransIndex(), -1);
    EXPECT_EQ(IndexAt(plain, 0, 0), 0);
    EXPECT_EQ(IndexAt(plain, 4, 3), 0);
    EXPECT_EQ(IndexAt(plain, 2, 2), 6);
}

TEST(GifDecode, TransparentPixelsOfTheImageShowTheCanvas) {
    // Index 5 is transparent in the image; the canvas below holds the same 5.
    CxImage image;
    ASSERT_TRUE(DecodeBytes(
        GifWriter().Screen(3, 1, 256).Control(0x01, 0, 5).Image(0, 0, 3, 1).Pixels({1, 5, 2}).Trailer().bytes, image,
        CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(IndexAt(image, 0, 0), 1);
    EXPECT_EQ(IndexAt(image, 1, 0), 5);
    EXPECT_EQ(IndexAt(image, 2, 0), 2);
    // With a transparent index, the entries the table lacks are white.
    CxImage small;
    ASSERT_TRUE(
        DecodeBytes(GifWriter().Screen(2, 1, 4).Control(0x01, 0, 3).Image(0, 0, 2, 1).Pixels({0, 3}, 2).Trailer().bytes,
                    small, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(small.GetBpp(), 4u);
    EXPECT_EQ(small.GetPaletteColor(2), TableColor(2));
    for (uint8_t i = 4; i < 16; ++i) EXPECT_EQ(small.GetPaletteColor(i), (CxRgbQuad{255, 255, 255, 0})) << int(i);
    CxImage opaque;
    ASSERT_TRUE(DecodeBytes(GifWriter().Screen(2, 1, 4).Image(0, 0, 2, 1).Pixels({0, 3}, 2).Trailer().bytes, opaque,
                            CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(opaque.GetPaletteColor(5), (CxRgbQuad{0, 0, 0, 0}));
}

TEST(GifDecode, DepthFollowsTheTableSize) {
    struct Case {
        int entries;
        uint32_t bpp;
    };
    for (const Case c : {Case{2, 1}, Case{4, 4}, Case{16, 4}, Case{32, 8}, Case{256, 8}}) {
        const int codeSize = c.entries <= 4 ? 2 : c.entries <= 16 ? 4 : 8;
        const auto pixels = Ramp(9 * 3, c.entries);
        CxImage image;
        ASSERT_TRUE(
            DecodeBytes(GifWriter().Screen(9, 3, c.entries).Image(0, 0, 9, 3).Pixels(pixels, codeSize).Trailer().bytes,
                        image, CXIMAGE_FORMAT_GIF));
        EXPECT_EQ(image.GetBpp(), c.bpp) << c.entries;
        ExpectIndices(image, 9, 3, pixels, std::to_string(c.entries) + " entries");
        // A local table decides for its image.
        CxImage local;
        ASSERT_TRUE(DecodeBytes(
            GifWriter().Screen(9, 3, 256).Image(0, 0, 9, 3, c.entries).Pixels(pixels, codeSize).Trailer().bytes, local,
            CXIMAGE_FORMAT_GIF));
        EXPECT_EQ(local.GetBpp(), c.bpp) << c.entries;
        EXPECT_EQ(local.GetPaletteColor(1), TableColor(1, 1));
    }
}

TEST(GifDecode, InterlacedRowsLandInPlaceForEveryHeight) {
    for (uint16_t height : {1, 2, 3, 4, 5, 8, 9, 17}) {
        const uint16_t width = 3;
        // Stored in pass order: row r of the stored data is picture row order[r].
        std::vector<uint32_t> order;
        for (uint32_t start : {0u, 4u, 2u, 1u}) {
            const uint32_t step = start == 0 ? 8 : start * 2;
            for (uint32_t r = start; r < height; r += step) order.push_back(r);
        }
        ASSERT_EQ(order.size(), height);
        std::vector<uint8_t> picture(size_t{width} * height);
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i + 1);
        std::vector<uint8_t> stored;
        for (uint32_t r : order)
            for (uint32_t x = 0; x < width; ++x) stored.push_back(picture[r * width + x]);
        CxImage image;
        ASSERT_TRUE(DecodeBytes(
            GifWriter().Screen(width, height, 256).Image(0, 0, width, height, 0, true).Pixels(stored).Trailer().bytes,
            image, CXIMAGE_FORMAT_GIF));
        ExpectIndices(image, width, height, picture, "interlaced height " + std::to_string(height));
    }
}

TEST(GifDecode, DataPastTheLastRowIsDropped) {
    // Non-interlaced: a third row of data does not wrap onto the picture.
    CxImage plain;
    ASSERT_TRUE(DecodeBytes(GifWriter().Screen(2, 2, 256).Image(0, 0, 2, 2).Pixels({1, 2, 3, 4, 9, 9}).Trailer().bytes,
                            plain, CXIMAGE_FORMAT_GIF));
    ExpectIndices(plain, 2, 2, {1, 2, 3, 4}, "non-interlaced");
    // Interlaced: after the fourth pass nothing more is written.
    CxImage interlaced;
    ASSERT_TRUE(
        DecodeBytes(GifWriter().Screen(1, 3, 256).Image(0, 0, 1, 3, 0, true).Pixels({1, 3, 2, 9, 9, 9}).Trailer().bytes,
                    interlaced, CXIMAGE_FORMAT_GIF));
    ExpectIndices(interlaced, 1, 3, {1, 2, 3}, "interlaced");
}

TEST(GifDecode, ShortDataLeavesTheRestAsCreated) {
    CxImage image;
    // Two and a half rows, ended by a zero-length sub-block without an end code.
    Bytes packed = PackCodes({256, 1, 2, 3, 4, 5}, 8);
    ASSERT_TRUE(DecodeBytes(GifWriter().Screen(2, 4, 256).Image(0, 0, 2, 4).Data(ImageData(8, packed)).Trailer().bytes,
                            image, CXIMAGE_FORMAT_GIF));
    ExpectIndices(image, 2, 4, {1, 2, 3, 4, 5, 0, 0, 0}, "partial row delivered");
    // A stream that ends inside a sub-block: the row in progress is dropped.
    Bytes cut = GifWriter().Screen(2, 4, 256).Image(0, 0, 2, 4).Data(ImageData(8, packed, 2)).bytes;
    cut.resize(cut.size() - 2);
    CxImage broken;
    ASSERT_TRUE(DecodeBytes(cut, broken, CXIMAGE_FORMAT_GIF));
    ExpectIndices(broken, 2, 4, {1, 2, 3, 4, 0, 0, 0, 0}, "cut inside a sub-block");
}

TEST(GifDecode, CodeSizeOutsideTwoToElevenDecodesNothing) {
    for (int size : {0, 1, 12, 255}) {
        Bytes data{static_cast<uint8_t>(size), 2, 0xFF, 0xFF, 0};
        CxImage image;
        ASSERT_TRUE(
            DecodeBytes(GifWriter().Screen(3, 2, 256).Control(1, 0, 4).Image(0, 0, 3, 2).Data(data).Trailer().bytes,
                        image, CXIMAGE_FORMAT_GIF))
            << size;
        for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(IndexAt(image, x, 0), 0) << size;
    }
}

TEST(GifDecode, DescriptorsBeyondTheScreenAreNotCountedOrDrawn) {
    const Bytes file = GifWriter()
                           .Screen(4, 4, 256)
                           .Image(3, 0, 2, 2)
                           .Pixels({7, 7, 7, 7})
                           .Image(0, 3, 1, 2)
                           .Pixels({8, 8})
                           .Image(1, 1, 2, 2)
                           .Pixels({1, 2, 3, 4})
                           .Trailer()
                           .bytes;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetNumFrames(), 1);
    EXPECT_EQ(IndexAt(image, 1, 1), 1);
    EXPECT_EQ(IndexAt(image, 2, 2), 4);
    EXPECT_EQ(IndexAt(image, 3, 0), 0);
    CxImage second;
    EXPECT_FALSE(DecodeBytes(file, second, CXIMAGE_FORMAT_GIF, 1));
    EXPECT_EQ(second.GetNumFrames(), 1) << "the count comes back on failure";

    CxImage none;
    EXPECT_FALSE(DecodeBytes(GifWriter().Screen(2, 2, 256).Image(1, 1, 2, 2).Pixels({1, 2, 3, 4}).Trailer().bytes, none,
                             CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(none.GetNumFrames(), 0);
}

TEST(GifDecode, LaterFramesComposeOverTheEarlierOnes) {
    const Bytes file = GifWriter()
                           .Screen(3, 2, 256)
                           .Loop(5)
                           .Control(0x01, 10, 0)
                           .Image(0, 0, 3, 2)
                           .Pixels({1, 1, 1, 1, 1, 1})
                           .Control(0x01 | (2 << 2), 20, 0)
                           .Image(1, 0, 2, 1)
                           .Pixels({0, 2})
                           .Control(0x01, 30, 0)
                           .Image(0, 1, 1, 1)
                           .Pixels({3})
                           .Trailer()
                           .bytes;
    CxImage first, second, third;
    ASSERT_TRUE(DecodeBytes(file, first, CXIMAGE_FORMAT_GIF, 0));
    EXPECT_EQ(first.GetNumFrames(), 3);
    EXPECT_EQ(first.GetInfo().frameDelay, 10u) << "the delay of the first image, not the last";
    ExpectIndices(first, 3, 2, {1, 1, 1, 1, 1, 1}, "frame 0");
    ASSERT_TRUE(DecodeBytes(file, second, CXIMAGE_FORMAT_GIF, 1));
    ExpectIndices(second, 3, 2, {1, 1, 2, 1, 1, 1}, "frame 1 keeps what its transparent pixel shows");
    EXPECT_EQ(second.GetInfo().frameDelay, 20u);
    ASSERT_TRUE(DecodeBytes(file, third, CXIMAGE_FORMAT_GIF, 2));
    ExpectIndices(third, 3, 2, {0, 0, 0, 3, 0, 0}, "frame 1 disposed to the first transparent index");
    CxImage beyond;
    EXPECT_FALSE(DecodeBytes(file, beyond, CXIMAGE_FORMAT_GIF, 3));
    EXPECT_EQ(beyond.GetNumFrames(), 3);
    CxImage negative;
    EXPECT_FALSE(DecodeBytes(file, negative, CXIMAGE_FORMAT_GIF, -1));
}

TEST(GifDecode, TransparencyOfLaterFramesDoesNotLeakIntoTheFirst) {
    const Bytes file = GifWriter()
                           .Screen(2, 1, 32)
                           .Image(0, 0, 2, 1)
                           .Pixels({4, 5})
                           .Control(0x01, 0, 5)
                           .Image(0, 0, 2, 1)
                           .Pixels({4, 5})
                           .Trailer()
                           .bytes;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetTransIndex(), -1);
    EXPECT_EQ(image.GetPaletteColor(200), (CxRgbQuad{0, 0, 0, 0})) << "no white padding without transparency";
    CxImage second;
    ASSERT_TRUE(DecodeBytes(file, second, CXIMAGE_FORMAT_GIF, 1));
    EXPECT_EQ(second.GetTransIndex(), -1) << "the first image's transparency rules the canvas";
}

TEST(GifDecode, CommentLoopCountAndDisposalAreKept) {
    CxImageGIF codec;
    Bytes file = GifWriter()
                     .Screen(1, 1, 2)
                     .Comment("made by hand")
                     .Loop(513)
                     .Control(3 << 2, 7, 0)
                     .Image(0, 0, 1, 1)
                     .Pixels({1}, 2)
                     .Trailer()
                     .bytes;
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    ASSERT_TRUE(codec.Decode(&stream));
    EXPECT_STREQ(codec.GetComment(), "made by hand");
    EXPECT_EQ(codec.GetLoopCount(), 513);
    EXPECT_EQ(codec.GetDisposalMethod(), 3);
    EXPECT_EQ(codec.GetInfo().frameDelay, 7u);
}

TEST(GifDecode, BrokenExtensionsEndTheScan) {
    // A graphic control block of 5 bytes before the image: no picture.
    Bytes badControl = GifWriter().Screen(2, 1, 2).bytes;
    badControl.insert(badControl.end(), {0x21, 0xF9, 5, 1, 0, 0, 1, 0, 0});
    GifWriter rest;
    rest.bytes.clear();
    rest.Image(0, 0, 2, 1).Pixels({1, 0}, 2).Trailer();
    badControl.insert(badControl.end(), rest.bytes.begin(), rest.bytes.end());
    CxImage image;
    EXPECT_FALSE(DecodeBytes(badControl, image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetNumFrames(), 1) << "counting reads past it";
    // An application block whose first block is not 11 bytes, after the image: the picture stays.
    Bytes badApplication = GifWriter().Screen(2, 1, 2).Image(0, 0, 2, 1).Pixels({1, 0}, 2).bytes;
    badApplication.insert(badApplication.end(), {0x21, 0xFF, 3, 'a', 'b', 'c', 0, 0x3B});
    CxImage kept;
    ASSERT_TRUE(DecodeBytes(badApplication, kept, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(IndexAt(kept, 0, 0), 1);
    // Unknown extensions and stray bytes between blocks are skipped.
    Bytes stray = GifWriter().Screen(2, 1, 2).bytes;
    stray.insert(stray.end(), {0x21, 0x01, 3, 1, 2, 3, 0, 0x77, 0x2C, 0x99, 0});
    GifWriter image2;
    image2.bytes.clear();
    image2.Image(0, 0, 2, 1).Pixels({0, 1}, 2).Trailer();
    stray.insert(stray.end(), image2.bytes.begin(), image2.bytes.end());
    CxImage skipped;
    ASSERT_TRUE(DecodeBytes(stray, skipped, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(IndexAt(skipped, 1, 0), 1);
}

TEST(GifDecode, TilesWithoutAGlobalTableMakeOne24BitPicture) {
    // Four tiles of a 5 x 4 picture, each with its own local table.
    GifWriter w;
    w.Screen(5, 4, 0);
    struct Tile {
        uint16_t left, top, width, height;
    };
    const Tile tiles[] = {{0, 0, 3, 3}, {3, 0, 2, 3}, {0, 3, 3, 1}, {3, 3, 2, 1}};
    for (const Tile& t : tiles) {
        std::vector<uint8_t> pixels(size_t{t.width} * t.height);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i + t.left * 10 + t.top * 20);
        w.Control(0, 0, 0).Image(t.left, t.top, t.width, t.height, 256).Pixels(pixels);
    }
    w.Trailer();
    CxImage image;
    ASSERT_TRUE(DecodeBytes(w.bytes, image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetNumFrames(), 4);
    EXPECT_EQ(image.GetTransIndex(), -1);
    for (const Tile& t : tiles)
        for (uint32_t y = 0; y < t.height; ++y)
            for (uint32_t x = 0; x < t.width; ++x) {
                const int index = static_cast<int>(y * t.width + x + t.left * 10 + t.top * 20);
                const CxRgbQuad got = image.GetPixelColor(t.left + x, 3 - (t.top + y), false);
                EXPECT_EQ(got, TableColor(index, 1)) << t.left + x << "," << t.top + y;
            }
    // A single such image is an ordinary palette image.
    CxImage single;
    ASSERT_TRUE(DecodeBytes(GifWriter().Screen(5, 4, 0).Image(1, 1, 2, 2, 4).Pixels({0, 1, 2, 3}, 2).Trailer().bytes,
                            single, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(single.GetBpp(), 4u);
    EXPECT_EQ(IndexAt(single, 2, 2), 3);
}

TEST(GifDecode, TiledPictureTakesTheLastTransparentColour) {
    // Our own mosaic of an 18 x 1 picture: a tile 17 wide and the 1 x 1 rest.
    GifWriter w;
    w.Screen(18, 1, 0)
        .Control(1, 0, 2)
        .Image(0, 0, 17, 1, 4)
        .Pixels(std::vector<uint8_t>(17, 1), 2)
        .Control(1, 0, 3)
        .Image(17, 0, 1, 1, 4)
        .Pixels({3}, 2)
        .Trailer();
    CxImage image;
    ASSERT_TRUE(DecodeBytes(w.bytes, image, CXIMAGE_FORMAT_GIF));
    ASSERT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetTransIndex(), 0);
    EXPECT_EQ(image.GetTransColor().rgbRed, TableColor(3, 1).rgbRed);
    EXPECT_EQ(image.GetTransColor().rgbBlue, TableColor(3, 1).rgbBlue);
}

TEST(GifDecode, AFirstFrameAsWideAsTheScreenIsAFrameNotATile) {
    // Per-frame tables, no global one, a first frame cropped in height only:
    // an animation, shown as its first frame.
    const Bytes file = GifWriter()
                           .Screen(4, 4, 0)
                           .Image(0, 0, 4, 2, 4)
                           .Pixels({1, 2, 3, 1, 2, 3, 1, 2}, 2)
                           .Image(0, 2, 4, 2, 4)
                           .Pixels({3, 3, 3, 3, 3, 3, 3, 3}, 2)
                           .Trailer()
                           .bytes;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetBpp(), 4u);
    EXPECT_EQ(image.GetNumFrames(), 2);
    ExpectIndices(image, 4, 4, {1, 2, 3, 1, 2, 3, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0}, "first frame");
}

// Counts the bytes a decoder takes from the stream.
class CountingStream : public CxMemStream {
public:
    CountingStream(uint8_t* data, int32_t size) : CxMemStream(data, size) {}
    size_t Read(void* buffer, size_t size, size_t count) override {
        const size_t got = CxMemStream::Read(buffer, size, count);
        bytesRead += got * size;
        return got;
    }
    int32_t GetC() override {
        const int32_t c = CxMemStream::GetC();
        bytesRead += c >= 0 ? 1 : 0;
        return c;
    }
    size_t bytesRead = 0;
};

TEST(GifDecode, AScreenNoPictureCanHoldIsRefusedBeforeItsDataIsRead) {
    // 65535 x 65535 is above the memory cap at any depth.
    Bytes file = GifWriter().Screen(65535, 65535, 4).Image(0, 0, 1, 1).bytes;
    const Bytes data = ImageData(2, Bytes(300000, 0x55));
    file.insert(file.end(), data.begin(), data.end());
    file.push_back(0x3B);
    CountingStream stream(file.data(), static_cast<int32_t>(file.size()));
    CxImage image;
    EXPECT_FALSE(image.Decode(&stream, CXIMAGE_FORMAT_GIF));
    EXPECT_LT(stream.bytesRead, 1000u);
    EXPECT_STREQ(image.GetLastError(), "");  // GIF decoding writes no text
}

TEST(GifDecode, EscapeCancels) {
    const Bytes file = GifWriter().Screen(2, 1, 2).Image(0, 0, 2, 1).Pixels({1, 0}, 2).Trailer().bytes;
    CxImage image;
    image.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(file, image, CXIMAGE_FORMAT_GIF));
    EXPECT_FALSE(image.IsValid());
}

TEST(GifDecode, DetectionFindsGifAfterBmpAndJpeg) {
    const Bytes file = GifWriter().Screen(2, 1, 2).Image(0, 0, 2, 1).Pixels({1, 0}, 2).Trailer().bytes;
    CxImage image;
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_GIF);
    EXPECT_EQ(image.GetBpp(), 1u);
}

}  // namespace
