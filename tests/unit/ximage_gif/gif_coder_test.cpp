// The GIF codec's pieces on their own: the LZW coder between a byte source,
// a row sink and a pixel source; where the read-ahead buffer leaves the
// stream after an image; the block scanner; the row placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gif_builder.h"
#include "support/full_disk_stream.h"
#include "ximage/codecs/ximage_gif.h"
#include "ximage/codecs/ximage_gif_blocks.h"
#include "ximage/codecs/ximage_gif_lzw.h"
#include "ximage/codecs/ximage_gif_read_ahead.h"
#include "ximage/codecs/ximage_gif_rows.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"

namespace {

using namespace giftest;

// Bytes from memory, one call per byte; nothing past the end.
class MemoryBytes final : public CxGifByteSource {
public:
    explicit MemoryBytes(Bytes bytes) : bytes_(std::move(bytes)) {}
    int Next() override { return at_ < bytes_.size() ? bytes_[at_++] : -1; }
    bool Take(uint8_t* out, int32_t count) override {
        for (int32_t i = 0; i < count; ++i) {
            const int b = Next();
            if (b < 0) return false;
            out[i] = static_cast<uint8_t>(b);
        }
        return true;
    }

private:
    Bytes bytes_;
    size_t at_ = 0;
};

// Keeps the rows; after stopAfter rows it asks the decoder to stop.
struct RowRecorder final : CxGifRowSink {
    std::vector<Bytes> rows;
    size_t stopAfter = SIZE_MAX;
    int PutRow(const uint8_t* row, int32_t length) override {
        rows.emplace_back(row, row + length);
        return rows.size() >= stopAfter ? -7 : 0;
    }
};

// Rows of `width` indices from memory.
class IndexRows final : public CxGifPixelSource {
public:
    IndexRows(const Bytes& pixels, size_t width) : pixels_(pixels), width_(width) {}
    const uint8_t* NextRow(size_t& length) override {
        if (at_ >= pixels_.size()) return nullptr;
        length = std::min(width_, pixels_.size() - at_);
        at_ += length;
        return pixels_.data() + at_ - length;
    }

private:
    const Bytes& pixels_;
    size_t width_;
    size_t at_ = 0;
};

// The code size byte and the encoder's sub-blocks, with the terminator.
Bytes EncodeData(const Bytes& pixels, size_t width, int codeSize) {
    CxMemStream out;
    EXPECT_TRUE(out.Open());
    out.PutC(static_cast<uint8_t>(codeSize));
    IndexRows rows(pixels, width);
    CxGifLzwEncoder encoder;
    EXPECT_TRUE(encoder.Encode(codeSize + 1, rows, &out));
    out.PutC(0);
    const uint8_t* data = out.GetBuffer(false);
    return Bytes(data, data + out.Size());
}

struct Decoded {
    int16_t result;
    int32_t badCodes;
    std::vector<Bytes> rows;
};

Decoded DecodeData(const Bytes& data, int32_t rowLength, size_t stopAfter = SIZE_MAX) {
    MemoryBytes bytes(data);
    RowRecorder rows;
    rows.stopAfter = stopAfter;
    CxGifLzwDecoder decoder;
    const int16_t result = decoder.Decode(bytes, rowLength, rows);
    return {result, decoder.BadCodes(), rows.rows};
}

TEST(GifCoder, EncodedIndicesDecodeBackAtEveryCodeSize) {
    std::mt19937 rng(11);
    for (int codeSize = 2; codeSize <= 8; ++codeSize)
        for (size_t width : {1u, 7u, 64u, 300u}) {
            // Runs and noise: long strings, table growth and full tables.
            Bytes pixels(width * 41);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = static_cast<uint8_t>((rng() % 3 ? i / 9 : rng()) % (1u << codeSize));
            const Decoded back = DecodeData(EncodeData(pixels, width, codeSize), static_cast<int32_t>(width));
            EXPECT_EQ(back.result, 0);
            EXPECT_EQ(back.badCodes, 0);
            ASSERT_EQ(back.rows.size(), 41u) << codeSize << " " << width;
            for (size_t y = 0; y < 41; ++y)
                ASSERT_EQ(back.rows[y], Bytes(pixels.begin() + y * width, pixels.begin() + (y + 1) * width))
                    << codeSize << " " << width << " row " << y;
        }
}

TEST(GifCoder, DecoderResultsAndRows) {
    const Bytes threeIndices = ImageData(8, PackCodes({256, 1, 2, 3, 257}, 8));
    // One byte per sub-block, cut after the byte that completes the code 3.
    Bytes cut = ImageData(8, PackCodes({256, 1, 2, 3, 257}, 8), 1);
    cut.resize(1 + 2 * 5);
    struct Case {
        const char* what;
        Bytes data;
        int32_t rowLength;
        int16_t result;
        std::vector<Bytes> rows;
        size_t stopAfter = SIZE_MAX;
    };
    const Case cases[] = {
        {"no data", {}, 4, CxGifLzwDecoder::kReadFailed, {}},
        {"code size 1", {1, 0}, 4, CxGifLzwDecoder::kBadCodeSize, {}},
        {"code size 12", {12, 0}, 4, CxGifLzwDecoder::kBadCodeSize, {}},
        {"rows of no pixels", threeIndices, 0, CxGifLzwDecoder::kNoRowBuffer, {}},
        {"whole rows", threeIndices, 1, 0, {{1}, {2}, {3}}},
        {"a partly filled last row", threeIndices, 2, 0, {{1, 2}, {3}}},
        {"a sink that stops", threeIndices, 1, -7, {{1}, {2}}, 2},
        {"an empty sub-block ends the data", ImageData(8, PackCodes({256, 1, 2, 3}, 8)), 2, 0, {{1, 2}, {3}}},
        {"data cut short drops the row in progress", cut, 2, 0, {{1, 2}}},
        {"data cut inside a sub-block", Bytes(threeIndices.begin(), threeIndices.end() - 3), 2, 0, {}},
    };
    for (const Case& c : cases) {
        const Decoded got = DecodeData(c.data, c.rowLength, c.stopAfter);
        EXPECT_EQ(got.result, c.result) << c.what;
        EXPECT_EQ(got.rows, c.rows) << c.what;
    }
}

TEST(GifCoder, CodesBeyondTheTableAreCounted) {
    EXPECT_EQ(DecodeData(ImageData(8, PackCodes({256, 1, 2, 900, 3, 257}, 8)), 4).badCodes, 1);
    // The code right after the table is a string still being made: not bad.
    EXPECT_EQ(DecodeData(ImageData(8, PackCodes({256, 1, 2, 258, 260, 257}, 8)), 9).badCodes, 0);
}

TEST(GifCoder, EncoderReportsARefusedWrite) {
    const Bytes pixels(4000, 5);
    const size_t full = EncodeData(pixels, 100, 8).size() - 2;  // without code size and terminator
    for (const size_t limit : {size_t{0}, size_t{1}, full / 2, full - 1}) {
        qlry::test::FullDiskStream out(limit, false);  // only the refused write tells
        IndexRows rows(pixels, 100);
        CxGifLzwEncoder encoder;
        EXPECT_FALSE(encoder.Encode(9, rows, &out)) << limit;
    }
}

// Where the stream is left after one image's data, in a file of: 3 bytes,
// the data, then `after`.
int64_t PositionAfterData(const Bytes& data, const Bytes& after) {
    Bytes file{9, 9, 9};
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), after.begin(), after.end());
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    stream.Seek(3, SEEK_SET);
    CxStreamReader reader(&stream);
    CxGifReadAhead bytes(reader);
    EXPECT_EQ(bytes.Start(), 3);
    RowRecorder rows;
    CxGifLzwDecoder decoder;
    decoder.Decode(bytes, 4, rows);
    bytes.Finish(decoder.BadCodes() != 0);
    return stream.Tell();
}

TEST(GifCoder, TheStreamIsLeftWhereTheNextBlockStarts) {
    const Bytes good = ImageData(8, PackCodes({256, 1, 2, 3, 257}, 8));
    // One past the sub-block that held the end code: the terminator is skipped.
    EXPECT_EQ(PositionAfterData(good, {0x3B}), static_cast<int64_t>(3 + good.size()));
    // Whatever follows the sub-block with the end code, one byte of it is skipped.
    const Bytes early = ImageData(8, PackCodes({256, 1, 257}, 8), 255, false);
    EXPECT_EQ(PositionAfterData(early, {2, 0x55, 0x55, 0}), static_cast<int64_t>(3 + early.size() + 1));
    // Broken data: on the next 0x2C after a zero byte, counted from the data's start.
    const Bytes broken = ImageData(8, PackCodes({256, 1, 2, 900, 3, 257}, 8));
    EXPECT_EQ(PositionAfterData(broken, {7, 0x2C, 0, 0x2C, 1}), static_cast<int64_t>(3 + broken.size() + 3));
    EXPECT_EQ(PositionAfterData(broken, {7, 0x2C}), static_cast<int64_t>(3 + broken.size() + 2)) << "the end";
}

// The blocks the scanner finds on a 4 x 4 screen: E extension, I(left,top,
// width,height) image, S stopped; '.' the end.
std::string Scan(const Bytes& bytes, int32_t escape = 0) {
    Bytes copy = bytes;
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    CxStreamReader reader(&stream);
    CxGifBlockScanner scanner(reader, 4, 4, &escape);
    std::string out;
    CxGifDescriptor d;
    for (int guard = 0; guard < 10; ++guard) {
        switch (scanner.Next(d)) {
        case CxGifBlockScanner::Block::Extension: out += "E"; break;
        case CxGifBlockScanner::Block::Image:
            out += "I(" + std::to_string(d.left) + "," + std::to_string(d.top) + "," + std::to_string(d.width) + "," +
                   std::to_string(d.height) + ")";
            break;
        case CxGifBlockScanner::Block::Stopped: return out + "S";
        case CxGifBlockScanner::Block::End: return out + ".";
        }
    }
    return out;
}

TEST(GifCoder, BlockScanner) {
    const auto image = [](uint8_t left, uint8_t width) { return Bytes{0x2C, left, 0, 0, 0, width, 0, 4, 0, 0}; };
    const auto join = [](std::initializer_list<Bytes> pieces) {
        Bytes out;
        for (const Bytes& p : pieces) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const struct {
        Bytes bytes;
        const char* blocks;
    } cases[] = {
        {{}, "."},
        {{0x21, 0x21}, "EE."},
        {{0x3B, 0x21}, "."},
        {image(1, 3), "I(1,0,3,4)."},
        {join({image(2, 3), image(0, 4)}), "I(0,0,4,4)."},     // the first lies past the screen's edge
        {{7, 0x21, 0x2C, 0x3B, 0, 0x21}, "E."},                // stray bytes until a zero
        {{7, 0x21, 0, 7, 0x21}, "."},                          // re-armed only up to the next stray byte
        {{0x2C, 1, 0}, "."},                                   // a short descriptor
    };
    for (const auto& c : cases) EXPECT_EQ(Scan(c.bytes), c.blocks) << c.blocks;
    EXPECT_EQ(Scan({7, 0x21}, 1), "S") << "a positive escape stops at the first byte acted upon";
    EXPECT_EQ(Scan({0x21}, -1), "E.");
}

TEST(GifCoder, RowPlacementInterlacedAndNot) {
    for (uint32_t height = 1; height <= 10; ++height)
        for (bool interlaced : {false, true}) {
            CxImage image(1, height, 8);
            CxGifRowPlacer placer(image, height, interlaced);
            for (uint8_t k = 0; k < height; ++k) EXPECT_EQ(placer.PutRow(&k, 1), 0);
            const uint8_t more = 99;
            EXPECT_EQ(placer.PutRow(&more, 1), -1) << "every row is placed";
            std::vector<uint32_t> order;  // rows from the top, in the order they were placed
            for (uint32_t k = 0; k < height; ++k)
                for (uint32_t y = 0; y < height; ++y)
                    if (IndexAt(image, 0, y) == k) order.push_back(y);
            std::vector<uint32_t> expected;
            for (uint32_t y = 0; y < height; ++y)
                if (!interlaced) expected.push_back(y);
            if (interlaced)
                for (auto [first, step] : {std::pair{0u, 8u}, {4u, 8u}, {2u, 4u}, {1u, 2u}})
                    for (uint32_t y = first; y < height; y += step) expected.push_back(y);
            EXPECT_EQ(order, expected) << height << " interlaced " << interlaced;
        }
}

TEST(GifCoder, TheCodecObjectHoldsNoCoderState) {
    // The coder's tables and buffers live for one call, not in the object
    // that the dispatch puts on the stack.
    EXPECT_LE(sizeof(CxImageGIF), sizeof(CxImage) + 512);
}

}  // namespace
