#pragma once
// CxImageGIF: GIF files (87a and 89a on reading, 89a on writing).
//
// Decoding yields one picture: the image `frame` (0 = the first) composed
// onto a canvas of the logical screen size, at 1, 4 or 8 bits per pixel from
// the size of its colour table. A file that splits one picture into tiles
// with their own colour tables (no global table, the first tile smaller than
// the screen) is composed into one 24-bit picture instead.
//
// Encoding writes palette images as one LZW image with a global colour table;
// deeper images as a mosaic of 17 x 15 tiles, each with its own 256-entry
// local table, so that every pixel keeps its colour.
//
// The LZW coders (ximage_gif_lzw.cpp) keep all their state in the object:
// a 16 KB read-ahead buffer, the decoder's string tables and the encoder's
// 5003-entry hash, about 64 KB in all; nothing is allocated per code.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

class CxImageGIF : public CxImage {
public:
    CxImageGIF() : CxImage(CXIMAGE_FORMAT_GIF) {}
    ~CxImageGIF() override;
    CxImageGIF(const CxImageGIF&) = delete;
    CxImageGIF& operator=(const CxImageGIF&) = delete;
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);

    // What the last decode found beside the picture; an encoding object
    // writes its own (empty, 0, 0 unless set).
    const char* GetComment() const { return comment; }
    int32_t GetLoopCount() const { return loopCount; }
    int32_t GetDisposalMethod() const { return disposalMethod; }

    // Results of LzwDecode besides the rows.
    static constexpr int16_t kLzwReadFailed = -1;
    static constexpr int16_t kLzwNoRowBuffer = -10;
    static constexpr int16_t kLzwBadCodeSize = -20;

private:
    // The body of a graphic control extension, as in the file. Zeroed when
    // the object is made: a file without one fills the canvas with index 0,
    // disposes nothing and has no transparency.
    struct GraphicControl {
        uint8_t flags = 0;
        uint16_t delay = 0;
        uint8_t transIndex = 0;
    };
    static constexpr int32_t kReadAheadSize = 16384;
    static constexpr int32_t kReadAheadFill = kReadAheadSize - 1;
    static constexpr int32_t kMaxCodes = 4096;
    static constexpr int32_t kHashSize = 5003;
    static constexpr int32_t kPacketMax = 254;

    // One image descriptor as read.
    struct Descriptor {
        uint32_t left = 0, top = 0, width = 0, height = 0;
        uint8_t flags = 0;
    };
    // The image CountFrames decoded for `frame`: the scan takes its block
    // instead of decoding the same bytes a second time.
    struct DecodedAhead {
        uint8_t* dib = nullptr;
        CxBitmapInfoHeader head;
        uint32_t rowBytes = 0;
        int32_t index = -1;
        int64_t dataStart = -1;
        int64_t dataEnd = -1;
        uint32_t width = 0, height = 0, bpp = 0;
        bool interlaced = false;
    };

    // ---- decoding (ximage_gif_decode.cpp) ----
    int32_t CountFrames(CxStream* stream, uint32_t tableSize, uint32_t screenWidth, uint32_t screenHeight);
    bool TakeDecodedAhead(int32_t index, int64_t dataStart, const Descriptor& d, uint32_t bpp, CxStream* stream);
    void KeepDecodedAhead(int32_t index, int64_t dataStart, const Descriptor& d, uint32_t bpp, CxStream* stream);
    bool ReadExtension(CxStream* stream);
    // Decodes one image's data into this object (already created) and leaves
    // the stream on the byte after it, by the resynchronisation rule.
    void DecodeImageData(CxStream* stream, bool interlaced, uint32_t width, uint32_t height);
    void Resynchronise(CxStream* stream, int64_t dataStart, int32_t badCodes);
    int DeliverRow(uint8_t* row, int32_t length);
    bool LoadColorTable(CxStream* stream, uint32_t entries, uint8_t rgb[768]);

    // ---- encoding (ximage_gif_encode.cpp) ----
    bool EncodeTiled(CxStream* stream);
    bool WriteImageData(CxStream* stream, uint8_t codeSize);
    int NextPixel();

    // ---- LZW coders (ximage_gif_lzw.cpp) ----
    int16_t LzwDecode(CxStream* stream, int32_t rowLength, int32_t& badCodes);
    bool LzwEncode(int32_t initialWidth, CxStream* stream);
    int ReadAheadByte(CxStream* stream);
    int NextCode(CxStream* stream);
    void EmitCode(int32_t code);
    void FlushPacket();

    GraphicControl gce;
    DecodedAhead ahead;

    // Encoder pixel cursor (NextPixel): column, row (bottom-up, counting down
    // from the top row) and pixels left.
    int32_t curX = 0;
    int32_t curY = 0;
    int32_t pixelsLeft = 0;

    // Output bit accumulator of the LZW encoder.
    uint32_t curAccum = 0;
    int32_t curBits = 0;

    // Interlace state of row delivery.
    int32_t interlaced = 0;
    int32_t iypos = 0;  // current row, counted from the top
    int32_t istep = 8;
    int32_t iheight = 0;
    int32_t ipass = 0;
    int32_t rowsWritten = 0;  // rows delivered without interlace

    // Read-ahead buffer.
    int32_t readPos = kReadAheadFill;
    int32_t validBytes = kReadAheadFill;
    uint8_t readAhead[kReadAheadSize] = {};

    // LZW decoder.
    int16_t currSize = 0;
    int16_t clearCode = 0;
    int16_t endingCode = 0;
    int16_t firstFree = 0;
    int16_t topSlot = 0;
    int16_t slot = 0;
    int16_t availBytes = 0;  // bytes left in the current sub-block
    int16_t subPos = 0;      // read pointer into the sub-block buffer
    uint32_t bitAccum = 0;   // code bits not yet used, low bits first
    int16_t bitsLeft = 0;
    uint8_t subBlock[257] = {};
    uint8_t stack[kMaxCodes] = {};
    uint8_t suffix[kMaxCodes] = {};
    int16_t prefix[kMaxCodes] = {};
    uint16_t length[kMaxCodes] = {};  // string length of each code, for direct output

    // LZW encoder.
    int32_t htab[kHashSize] = {};
    uint16_t codetab[kHashSize] = {};
    int32_t nBits = 0;
    int16_t maxCode = 0;
    int16_t freeEnt = 0;
    int32_t clearFlag = 0;
    int32_t initBits = 0;
    CxStream* outStream = nullptr;
    int32_t encClear = 0;
    int32_t encEnd = 0;
    int32_t packetCount = 0;
    uint8_t packet[256] = {};
    // Row being read by NextPixel, one index per byte (1 and 4-bit rows
    // are unpacked into rowIndices first).
    const uint8_t* pixelRow = nullptr;
    uint8_t* rowIndices = nullptr;

    char comment[256] = {};
    int32_t loopCount = 0;
    int32_t disposalMethod = 0;
};
