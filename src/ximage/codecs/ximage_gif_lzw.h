#pragma once
// The LZW coder of GIF image data, in both directions.
//
// CxGifLzwDecoder takes the bytes of one image's data (the minimum code size
// byte, then the sub-blocks) from a byte source and hands each finished row
// of palette indices to a row sink. CxGifLzwEncoder takes palette indices
// from a pixel source and writes the sub-blocks of one image. Neither knows
// about images or files: the GIF codec plugs its read-ahead buffer, its row
// placement and its image rows into them (ximage_gif_read_ahead.h,
// ximage_gif_rows.h).
//
// Both keep their tables in the object (about 24 KB for the decoder, 30 KB
// for the encoder) and reset them for every image, so that the per-code
// path makes no allocation and no stream call.
#include <cstddef>
#include <cstdint>

class CxStream;

// The bytes of one image's data, in order.
class CxGifByteSource {
public:
    // The next byte, or -1 when the data cannot be read further.
    virtual int Next() = 0;
    // The next count bytes into out; false when they cannot all be read.
    virtual bool Take(uint8_t* out, int32_t count) = 0;

protected:
    ~CxGifByteSource() = default;
};

// Where the decoder puts its rows: one palette index per byte, length pixels
// (the row length, or fewer for the last row of short data). A negative
// result stops decoding and becomes the decoder's result.
class CxGifRowSink {
public:
    virtual int PutRow(const uint8_t* row, int32_t length) = 0;

protected:
    ~CxGifRowSink() = default;
};

// Where the encoder takes its pixels: rows of palette indices, one per byte.
class CxGifPixelSource {
public:
    // The next row and its length; null when no pixel is left.
    virtual const uint8_t* NextRow(size_t& length) = 0;

protected:
    ~CxGifPixelSource() = default;
};

class CxGifLzwDecoder {
public:
    // Results of Decode besides 0 and a row sink's own negative result.
    static constexpr int16_t kReadFailed = -1;
    static constexpr int16_t kNoRowBuffer = -10;
    static constexpr int16_t kBadCodeSize = -20;

    // Decodes one image's data into rows of rowLength pixels. A read failure
    // inside the data ends decoding with 0 and drops the row in progress;
    // at the end code a partly filled row is handed over with its length.
    int16_t Decode(CxGifByteSource& bytes, int32_t rowLength, CxGifRowSink& rows);
    // Codes of the last Decode that lay beyond the next free code: the data
    // is broken, and the caller should look for the next image by scanning.
    int32_t BadCodes() const { return badCodes_; }

private:
    static constexpr int32_t kMaxCodes = 4096;

    int NextCode(CxGifByteSource& bytes);

    int32_t badCodes_ = 0;
    int16_t codeSize_ = 0;  // current code width
    int16_t clearCode_ = 0;
    int16_t endCode_ = 0;
    int16_t firstFree_ = 0;
    int16_t topSlot_ = 0;  // code limit of the current width
    int16_t slot_ = 0;     // next free code
    int16_t availBytes_ = 0;  // bytes left in the current sub-block
    int16_t subPos_ = 0;      // read pointer into the sub-block
    uint32_t bitAccum_ = 0;   // code bits not yet used, low bits first
    int16_t bitsLeft_ = 0;
    uint8_t subBlock_[257] = {};
    uint8_t stack_[kMaxCodes] = {};
    uint8_t suffix_[kMaxCodes] = {};
    int16_t prefix_[kMaxCodes] = {};
    uint16_t length_[kMaxCodes] = {};  // string length of each code, for direct output
};

class CxGifLzwEncoder {
public:
    // Writes the sub-blocks of one image (without the code size byte before
    // them and the terminator after them), codes starting initialWidth bits
    // wide. False when the stream refused a write or reports an error once
    // flushed.
    bool Encode(int32_t initialWidth, CxGifPixelSource& pixels, CxStream* out);

private:
    static constexpr int32_t kMaxCodes = 4096;
    static constexpr int32_t kHashSize = 5003;
    static constexpr int32_t kPacketMax = 254;

    void EmitCode(int32_t code);
    void PutByte(uint8_t byte);
    void FlushPacket();

    CxStream* out_ = nullptr;
    bool writeFailed_ = false;
    uint32_t curAccum_ = 0;  // output bit accumulator
    int32_t curBits_ = 0;
    int32_t nBits_ = 0;  // current code width
    int16_t maxCode_ = 0;
    int16_t freeEnt_ = 0;  // next free code
    bool clearFlag_ = false;
    int32_t initBits_ = 0;
    int32_t clearCode_ = 0;
    int32_t endCode_ = 0;
    int32_t packetCount_ = 0;
    uint8_t packet_[256] = {};
    int32_t htab_[kHashSize] = {};
    uint16_t codetab_[kHashSize] = {};
};
