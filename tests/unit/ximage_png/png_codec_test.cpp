// The PNG codec on pictures made in the test: encode/decode round trips at
// every depth the encoder writes, the chunks it writes, transparency, and
// the failure texts.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "png_test_support.h"
#include "ximage/codecs/ximage_png.h"
#include "ximage/toolkit/cx_allocation.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::png;

// A picture that differs in every pixel and row: palette images use every
// index the depth allows over a palette of distinct colours.
void FillPicture(CxImage& image) {
    const uint32_t colors = image.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7 + 1),
                              static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 13 + 5));
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            if (colors) {
                image.SetPixelIndex(x, y, static_cast<uint8_t>((x + 3 * y) % colors));
            } else {
                CxRgbQuad color;
                color.rgbRed = static_cast<uint8_t>(x * 5 + y);
                color.rgbGreen = static_cast<uint8_t>(y * 11);
                color.rgbBlue = static_cast<uint8_t>(x ^ y);
                image.SetPixelColor(x, y, color);
            }
        }
    }
}

// Reaches the info fields that only codecs set.
class TestImage : public CxImage {
public:
    using CxImage::CxImage;
    void EnableAlphaPalette() { info.alphaPaletteEnabled = true; }
    void SetAlphaMax(uint8_t value) { info.alphaMax = value; }
};

// A stream that takes only `capacity` bytes, or refuses to flush.
class LimitedStream : public CxStream {
public:
    LimitedStream(size_t capacity, bool flushes) : capacity_(capacity), flushes_(flushes) {}
    bool Close() override { return true; }
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void*, size_t size, size_t count) override {
        const size_t bytes = size * count;
        if (written_ + bytes > capacity_) return 0;
        written_ += bytes;
        return count;
    }
    bool Seek(int32_t, int) override { return false; }
    int32_t Tell() override { return static_cast<int32_t>(written_); }
    int32_t Size() override { return static_cast<int32_t>(written_); }
    bool Flush() override { return flushes_; }
    bool Eof() override { return false; }
    int32_t Error() override { return 0; }
    int32_t GetC() override { return -1; }

private:
    size_t capacity_;
    size_t written_ = 0;
    bool flushes_;
};

TEST(PngRoundTrip, EveryDepthAndInterlacingKeepsThePicture) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        for (uint32_t interlaced : {0u, 1u}) {
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " interlaced " + std::to_string(interlaced));
            CxImage image(37, 23, bpp, CXIMAGE_FORMAT_PNG);
            FillPicture(image);
            image.SetCodecOption(interlaced, CXIMAGE_FORMAT_PNG);
            const std::vector<uint8_t> file = EncodeChecked(image, CXIMAGE_FORMAT_PNG);
            const std::vector<Chunk> chunks = ReadChunks(file);
            ASSERT_NE(FindChunk(chunks, "IHDR"), nullptr);
            const std::vector<uint8_t>& ihdr = FindChunk(chunks, "IHDR")->data;
            EXPECT_EQ(ihdr[8], bpp == 24 ? 8 : bpp);        // bit depth
            EXPECT_EQ(ihdr[9], bpp == 24 ? 2 : 3);          // RGB or palette
            EXPECT_EQ(ihdr[12], interlaced);                // Adam7

            CxImage decoded;
            ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_UNKNOWN)) << decoded.GetLastError();
            EXPECT_EQ(decoded.GetType(), CXIMAGE_FORMAT_PNG);
            EXPECT_EQ(decoded.GetBpp(), bpp);
            EXPECT_EQ(decoded.GetCodecOption(CXIMAGE_FORMAT_PNG), interlaced);
            EXPECT_FALSE(decoded.AlphaIsValid());
            EXPECT_TRUE(SamePicture(image, decoded));
            for (uint32_t y = 0; bpp <= 8 && y < image.GetHeight(); ++y)
                for (uint32_t x = 0; x < image.GetWidth(); ++x)
                    ASSERT_EQ(decoded.GetPixelIndex(x, y), image.GetPixelIndex(x, y));
        }
    }
}

TEST(PngRoundTrip, ResolutionAndChunksOfEveryFile) {
    CxImage image(8, 8, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(image);
    image.SetXDpi(300);
    image.SetYDpi(150);
    const std::vector<uint8_t> file = EncodeChecked(image, CXIMAGE_FORMAT_PNG);
    const std::vector<Chunk> chunks = ReadChunks(file);
    const Chunk* phys = FindChunk(chunks, "pHYs");
    ASSERT_NE(phys, nullptr);
    EXPECT_EQ(BigEndian32(phys->data.data()), static_cast<uint32_t>(image.GetHeader().biXPelsPerMeter));
    EXPECT_EQ(BigEndian32(phys->data.data() + 4), static_cast<uint32_t>(image.GetHeader().biYPelsPerMeter));
    EXPECT_EQ(phys->data[8], 1);  // metre
    const Chunk* bkgd = FindChunk(chunks, "bKGD");
    ASSERT_NE(bkgd, nullptr);
    ASSERT_EQ(bkgd->data.size(), 6u);
    for (size_t i = 0; i < 6; i += 2) EXPECT_EQ(bkgd->data[i + 1], 255);  // white without transparency

    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(decoded.GetXDpi(), 300);
    EXPECT_EQ(decoded.GetYDpi(), 150);

    CxImage palette(8, 8, 8, CXIMAGE_FORMAT_PNG);
    FillPicture(palette);
    const std::vector<Chunk> paletteChunks = ReadChunks(EncodeChecked(palette, CXIMAGE_FORMAT_PNG));
    EXPECT_NE(FindChunk(paletteChunks, "bKGD"), nullptr);
    EXPECT_NE(FindChunk(paletteChunks, "pHYs"), nullptr);
}

TEST(PngRoundTrip, AlphaPlaneScaledByAlphaMax) {
    CxImage image(19, 11, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(image);
    image.AlphaCreate();
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 19; ++x) image.AlphaSet(x, y, static_cast<uint8_t>(x * 13 + y * 7));
    for (uint32_t interlaced : {0u, 1u}) {
        image.SetCodecOption(interlaced, CXIMAGE_FORMAT_PNG);
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_PNG), decoded, CXIMAGE_FORMAT_PNG));
        ASSERT_TRUE(decoded.AlphaIsValid());
        EXPECT_TRUE(SamePicture(image, decoded));
    }

    TestImage half(19, 11, 24, CXIMAGE_FORMAT_PNG);
    half.Copy(image);
    half.SetAlphaMax(128);
    const std::vector<uint8_t> file = EncodeChecked(half, CXIMAGE_FORMAT_PNG);
    const std::vector<Chunk> chunks = ReadChunks(file);
    ASSERT_NE(FindChunk(chunks, "IHDR"), nullptr);
    EXPECT_EQ(FindChunk(chunks, "IHDR")->data[9], 6);  // RGBA
    EXPECT_EQ(FindChunk(chunks, "PLTE"), nullptr);
    CxImage scaled;
    ASSERT_TRUE(DecodeBytes(file, scaled, CXIMAGE_FORMAT_PNG));
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 19; ++x) EXPECT_EQ(scaled.AlphaGet(x, y), image.AlphaGet(x, y) * 128 / 255);
}

TEST(PngTransparency, TransparentIndexMovesToEntryZeroInTheFileOnly) {
    CxImage image(16, 16, 8, CXIMAGE_FORMAT_PNG);
    FillPicture(image);
    image.SetTransIndex(5);
    const CxRgbQuad transparent = image.GetPaletteColor(5);
    const CxRgbQuad first = image.GetPaletteColor(0);
    CxImage before(image, true, false, false);

    const std::vector<uint8_t> file = EncodeChecked(image, CXIMAGE_FORMAT_PNG);
    const std::vector<Chunk> chunks = ReadChunks(file);
    const Chunk* plte = FindChunk(chunks, "PLTE");
    const Chunk* trns = FindChunk(chunks, "tRNS");
    ASSERT_NE(plte, nullptr);
    ASSERT_NE(trns, nullptr);
    EXPECT_EQ(plte->data[0], transparent.rgbRed);
    EXPECT_EQ(plte->data[1], transparent.rgbGreen);
    EXPECT_EQ(plte->data[15], first.rgbRed);  // entry 5 holds the former entry 0
    ASSERT_EQ(trns->data.size(), 1u);
    EXPECT_EQ(trns->data[0], 0);

    // Saving leaves the image alone.
    EXPECT_EQ(image.GetTransIndex(), 5);
    EXPECT_EQ(image.GetPaletteColor(5), transparent);
    EXPECT_TRUE(SamePicture(image, before));
    EXPECT_EQ(std::memcmp(image.GetBits(0), before.GetBits(0), image.GetRowBytes() * image.GetHeight()), 0);

    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(decoded.GetTransIndex(), 0);
    EXPECT_FALSE(decoded.GetInfo().alphaPaletteEnabled);
    EXPECT_TRUE(SamePicture(image, decoded));
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            EXPECT_EQ(decoded.GetPixelIndex(x, y) == 0, image.GetPixelIndex(x, y) == 5);
}

TEST(PngTransparency, DecodingForgetsThePreviousImagesTransparency) {
    CxImage opaque(6, 6, 8, CXIMAGE_FORMAT_PNG);
    FillPicture(opaque);
    const std::vector<uint8_t> file = EncodeChecked(opaque, CXIMAGE_FORMAT_PNG);
    CxImage image(2, 2, 8, CXIMAGE_FORMAT_PNG);
    image.SetTransIndex(5);
    ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(image.GetTransIndex(), -1);
    EXPECT_FALSE(image.GetInfo().alphaPaletteEnabled);
}

TEST(PngTransparency, AlphaPaletteRoundTrip) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        TestImage image(9, 7, bpp, CXIMAGE_FORMAT_PNG);
        FillPicture(image);
        CxRgbQuad* palette = image.GetPalette();
        for (uint32_t i = 0; i < image.GetNumColors(); ++i) palette[i].rgbReserved = static_cast<uint8_t>(i * 37 + 3);
        image.EnableAlphaPalette();
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_PNG), decoded, CXIMAGE_FORMAT_PNG));
        EXPECT_TRUE(decoded.GetInfo().alphaPaletteEnabled);
        EXPECT_EQ(decoded.GetTransIndex(), -1);
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 9; ++x) {
                const uint8_t index = image.GetPixelIndex(x, y);
                ASSERT_EQ(decoded.GetPixelIndex(x, y), index);
                EXPECT_EQ(decoded.GetPaletteColor(index), image.GetPaletteColor(index)) << "bpp " << bpp;
            }
    }
}

TEST(PngTransparency, TransparentColourOfTrueColourBecomesAlphaZero) {
    CxImage image(12, 10, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(image);
    const CxRgbQuad key = image.GetPixelColor(3, 4, false);
    image.SetTransIndex(0);
    image.SetTransColor(key);
    const std::vector<uint8_t> file = EncodeChecked(image, CXIMAGE_FORMAT_PNG);
    EXPECT_FALSE(image.AlphaIsValid());

    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(decoded.AlphaIsValid());
    int cleared = 0;
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 12; ++x) {
            const CxRgbQuad c = image.GetPixelColor(x, y, false);
            const bool isKey = c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen && c.rgbBlue == key.rgbBlue;
            EXPECT_EQ(decoded.AlphaGet(x, y), isKey ? 0 : 255) << x << "," << y;
            cleared += isKey;
        }
    EXPECT_GE(cleared, 1);
    EXPECT_LT(cleared, 120);
    // bKGD carries the transparent colour.
    const std::vector<Chunk> chunks = ReadChunks(file);
    const Chunk* bkgd = FindChunk(chunks, "bKGD");
    ASSERT_NE(bkgd, nullptr);
    EXPECT_EQ(bkgd->data[1], key.rgbRed);
    EXPECT_EQ(bkgd->data[3], key.rgbGreen);
    EXPECT_EQ(bkgd->data[5], key.rgbBlue);
}

TEST(PngPalette, SmallPicturesWriteOnlyTheIndicesUsed) {
    CxImage small(100, 100, 8, CXIMAGE_FORMAT_PNG);
    FillPicture(small);
    for (uint32_t y = 0; y < 100; ++y)
        for (uint32_t x = 0; x < 100; ++x) small.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % 10));
    const std::vector<Chunk> smallChunks = ReadChunks(EncodeChecked(small, CXIMAGE_FORMAT_PNG));
    const Chunk* plte = FindChunk(smallChunks, "PLTE");
    ASSERT_NE(plte, nullptr);
    EXPECT_EQ(plte->data.size(), 30u);

    CxImage large(300, 300, 8, CXIMAGE_FORMAT_PNG);
    for (uint32_t y = 0; y < 300; ++y)
        for (uint32_t x = 0; x < 300; ++x) large.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % 10));
    const std::vector<Chunk> largeChunks = ReadChunks(EncodeChecked(large, CXIMAGE_FORMAT_PNG));
    const Chunk* full = FindChunk(largeChunks, "PLTE");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->data.size(), 3u * large.GetNumColors());
}

TEST(PngErrors, EncodeRefusalsAndStreamFailures) {
    CxImage empty;
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    CxImagePNG codec;
    EXPECT_FALSE(codec.Encode(&stream));
    EXPECT_STREQ(codec.GetLastError(), "null image!!!");
    EXPECT_FALSE(codec.Encode(nullptr));
    EXPECT_STREQ(codec.GetLastError(), "null file handler");

    CxImage image(64, 64, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(image);
    LimitedStream shortStream(100, true);
    EXPECT_FALSE(image.Encode(&shortStream, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Error saving PNG file");
    LimitedStream noFlush(1 << 20, false);
    EXPECT_FALSE(image.Encode(&noFlush, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Error saving PNG file");
    LimitedStream roomy(1 << 20, true);
    EXPECT_TRUE(image.Encode(&roomy, CXIMAGE_FORMAT_PNG)) << image.GetLastError();
}

TEST(PngErrors, DecodeTexts) {
    CxImage image;
    EXPECT_FALSE(DecodeBytes({}, image, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Read Error");
    EXPECT_FALSE(image.IsValid());

    EXPECT_FALSE(DecodeBytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, image, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Not a PNG file");

    CxImage picture(20, 20, 8, CXIMAGE_FORMAT_PNG);
    FillPicture(picture);
    std::vector<uint8_t> file = EncodeChecked(picture, CXIMAGE_FORMAT_PNG);
    std::vector<uint8_t> cut(file.begin(), file.end() - 20);
    EXPECT_FALSE(DecodeBytes(cut, image, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Read Error");

    // A damaged IHDR checksum is libpng's own complaint.
    file[29] ^= 0xFF;
    EXPECT_FALSE(DecodeBytes(file, image, CXIMAGE_FORMAT_PNG));
    EXPECT_STRNE(image.GetLastError(), "");
    EXPECT_FALSE(image.IsValid());
}

TEST(PngErrors, EscapeCancelsAndMinusOneGivesTheSize) {
    CxImage picture(33, 17, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(picture);
    std::vector<uint8_t> file = EncodeChecked(picture, CXIMAGE_FORMAT_PNG);

    CxImagePNG cancelled;
    cancelled.SetEscape(1);
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    EXPECT_FALSE(cancelled.Decode(&stream));
    EXPECT_STREQ(cancelled.GetLastError(), "");

    CxImagePNG probe;
    probe.SetEscape(-1);
    stream.Seek(0, SEEK_SET);
    EXPECT_TRUE(probe.Decode(&stream));
    EXPECT_EQ(probe.GetWidth(), 33u);
    EXPECT_EQ(probe.GetHeight(), 17u);
    EXPECT_FALSE(probe.IsValid());
    EXPECT_STREQ(probe.GetLastError(), "output dimensions returned");
}

TEST(PngErrors, EveryTruncationOfAnEncodedFileFailsCleanly) {
    CxImage picture(21, 13, 24, CXIMAGE_FORMAT_PNG);
    FillPicture(picture);
    picture.AlphaCreate();
    picture.SetCodecOption(1, CXIMAGE_FORMAT_PNG);
    const std::vector<uint8_t> file = EncodeChecked(picture, CXIMAGE_FORMAT_PNG);
    for (size_t length = 0; length < file.size(); ++length) {
        CxImage image;
        const std::vector<uint8_t> prefix(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_FALSE(DecodeBytes(prefix, image, CXIMAGE_FORMAT_PNG)) << length;
        EXPECT_FALSE(image.IsValid());
    }
}

// The filter byte of every row of a non-interlaced file, from its IDAT data.
std::vector<uint8_t> RowFilters(const std::vector<uint8_t>& file, const CxImage& image) {
    std::vector<uint8_t> compressed;
    for (const Chunk& chunk : ReadChunks(file))
        if (chunk.type == "IDAT") compressed.insert(compressed.end(), chunk.data.begin(), chunk.data.end());
    const size_t stride = 1 + 4 * size_t{image.GetWidth()};
    std::vector<uint8_t> raw(stride * image.GetHeight());
    uLongf length = raw.size();
    if (uncompress(raw.data(), &length, compressed.data(), compressed.size()) != Z_OK) return {};
    std::vector<uint8_t> filters;
    for (size_t offset = 0; offset < length; offset += stride) filters.push_back(raw[offset]);
    return filters;
}

// The clipboard's quick PNG picks its filter from the picture and keeps
// every pixel; a flat picture's block stays near the size the defaults give.
TEST(PngQuick, TheFilterFollowsThePictureAndThePixelsStay) {
    for (const bool flat : {false, true}) {
        CxImage picture(160, 90, 24, CXIMAGE_FORMAT_PNG);
        picture.AlphaCreate();
        for (uint32_t y = 0; y < 90; ++y)
            for (uint32_t x = 0; x < 160; ++x) {
                const uint32_t noise = (x * 2654435761u ^ y * 40503u) >> 7;
                const auto band = static_cast<uint8_t>(x / 40 * 60);
                picture.SetPixelColor(x, y, flat ? CxRgbQuad{band, 200, band, 0}
                                                 : CxRgbQuad{uint8_t(noise), uint8_t(noise >> 8), uint8_t(x + y), 0});
                picture.AlphaSet(x, y, flat ? 255 - band : static_cast<uint8_t>(noise >> 16));
            }
        CxImagePNG png;
        png.BorrowFrom(&picture);
        CxMemStream stream;
        ASSERT_TRUE(stream.Open());
        ASSERT_TRUE(png.EncodeQuick(&stream));
        const uint8_t* bytes = stream.GetBuffer(false);
        const std::vector<uint8_t> file(bytes, bytes + stream.Size());

        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(file, decoded, CXIMAGE_FORMAT_PNG));
        EXPECT_TRUE(SamePicture(decoded, picture)) << "flat " << flat;
        EXPECT_EQ(RowFilters(file, picture), std::vector<uint8_t>(90, flat ? 2 : 1)) << "flat " << flat;
        if (flat) {
            EXPECT_LE(file.size() * 10, EncodeBytes(picture, CXIMAGE_FORMAT_PNG).size() * 13);
        }
    }
}

}  // namespace

namespace {

// A chunk whose length claims far more than the file holds must not make
// libpng hold that much: it reads on and finds the end. Found by fuzzing
// (an sPLT of 270 MB in a 60-byte file; libpng's chunk cap did not stop it).
TEST(PngChunks, ALengthPastTheEndIsNeverHeldWhole) {
    CxImage picture(9, 2, 24);
    const std::vector<uint8_t> file = EncodeChecked(picture, CXIMAGE_FORMAT_PNG);
    for (const char* type : {"sPLT", "tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "eXIf", "iCCP", "abCd"}) {
        SCOPED_TRACE(type);
        std::vector<uint8_t> cut(file.begin(), file.begin() + 33);  // signature and IHDR
        for (const uint8_t byte : {0x10, 0x27, 0x00, 0x00}) cut.push_back(byte);
        cut.insert(cut.end(), type, type + 4);
        cut.insert(cut.end(), {0x45, 0x00, 0xFF, 0x00});
        cximage::RefuseAllocationNumber(UINT64_MAX);  // counts, refuses nothing
        CxImage image;
        EXPECT_FALSE(DecodeBytes(cut, image, CXIMAGE_FORMAT_PNG));
        EXPECT_LT(cximage::LargestAllocationRequest(), 1u << 20);
        cximage::RefuseAllocationNumber(0);
    }
}

}  // namespace
