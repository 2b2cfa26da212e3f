#pragma once
// What the formats behind CxImageJAS share: the result of a reader, the
// request it serves, the rule that places grey frames, sample scaling and
// the writers' view of the image.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/toolkit/cx_swap_red_blue.h"
#include "ximage/ximage.h"

class CxStream;

namespace cxjas {

inline constexpr uint32_t kMaxComponents = 64;

enum class Status {
    kOk,
    kCorrupt,      // not this format, or broken: "error: cannot load image data"
    kTooMany,      // "error: too much components"
    kWrongFrame,   // "wrong frame!"
    kNoMemory,     // the pixel block: "Can't allocate memory"
};

struct DecodeRequest {
    int32_t frame = 0;       // component to show when the picture is not colour
    int32_t numFrames = 0;   // out: components of a picture shown as grey frames
    uint32_t format = 0;     // the id the new image gets
};

// Grey frames: numFrames is the component count; frame must be one of them.
inline Status CheckFrame(DecodeRequest& request, uint32_t components) {
    request.numFrames = static_cast<int32_t>(components);
    if (request.frame < 0 || static_cast<uint32_t>(request.frame) >= components) return Status::kWrongFrame;
    return Status::kOk;
}

// Depth of the grey image that shows samples of this precision: unsigned
// 1- and 4-bit samples keep their depth (palette index = sample); every
// other precision is scaled to 8 bits.
inline uint32_t GreyDepth(uint32_t precision, bool isSigned) {
    if (!isSigned && (precision == 1 || precision == 4)) return precision;
    return 8;
}

// Maps samples 0..maxval onto 0..255. maxval 65535 takes the high byte; other
// values are rounded to the nearest step.
class SampleScale {
public:
    explicit SampleScale(uint32_t maxval) : maxval_(maxval ? maxval : 1) {}
    uint8_t operator()(uint32_t v) const {
        if (v >= maxval_) return 255;
        if (maxval_ == 255) return static_cast<uint8_t>(v);
        if (maxval_ == 65535) return static_cast<uint8_t>(v >> 8);
        return static_cast<uint8_t>((v * 255u + maxval_ / 2) / maxval_);
    }
    uint32_t Maxval() const { return maxval_; }

private:
    uint32_t maxval_;
};

// An unsigned sample of this precision (already within 0..2^precision - 1)
// as 8 bits: higher precisions keep their high bits, lower ones are scaled.
inline uint8_t ScalePrecision(uint32_t v, uint32_t precision) {
    if (precision == 8) return static_cast<uint8_t>(v);
    if (precision > 8) return static_cast<uint8_t>(v >> (precision - 8));
    const uint32_t max = (1u << precision) - 1;
    return static_cast<uint8_t>((v * 255u + max / 2) / max);
}

// Rows of a raw raster, read from the stream many at a time: one read per
// chunk of about kChunkBytes instead of one per row, into a buffer that
// stays in the cache, from where each row is copied once into the image.
class RowChunks {
public:
    static constexpr uint64_t kChunkBytes = 256 * 1024;
    RowChunks(CxStreamReader& reader, uint64_t lineBytes, uint32_t rows) : reader_(reader), lineBytes_(lineBytes), left_(rows) {
        const uint64_t perChunk = lineBytes ? kChunkBytes / lineBytes : 0;
        rowsPerChunk_ = static_cast<uint32_t>(perChunk == 0 ? 1 : (perChunk < rows ? perChunk : rows));
        ok_ = buffer_.Allocate(lineBytes_ * rowsPerChunk_);
    }
    bool Ready() const { return ok_; }
    // The next row, or null when the stream ends first.
    const uint8_t* Next() {
        if (at_ == filled_) {
            const uint32_t rows = left_ < rowsPerChunk_ ? left_ : rowsPerChunk_;
            if (rows == 0 || !reader_.Read(buffer_.data(), static_cast<size_t>(lineBytes_ * rows))) return nullptr;
            left_ -= rows;
            filled_ = rows;
            at_ = 0;
        }
        return buffer_.data() + lineBytes_ * at_++;
    }

private:
    CxStreamReader& reader_;
    uint64_t lineBytes_;
    uint32_t left_;
    uint32_t rowsPerChunk_ = 1;
    uint32_t filled_ = 0, at_ = 0;
    CxBuffer buffer_;
    bool ok_ = false;
};

// Red, green, blue samples to the image's blue, green, red (in and out may
// be the same row).
using cximage::SwapRedBlue;

// Rows written into a picture larger than the caches bypass them: such a
// picture is written once and read much later, and ordinary stores would
// first fetch every line of it from memory. A smaller one stays in the
// last-level cache (32 MB on today's desktop processors), where the next
// step finds it.
inline constexpr uint64_t kCacheBytes = 32u << 20;
inline bool BypassesCache(const CxImage& image) {
    return uint64_t{image.GetRowBytes()} * image.GetHeight() > kCacheBytes;
}
// A row into an image row, bypassing the caches for a large picture.
inline void PutRow(const CxImage& image, const uint8_t* in, uint8_t* row, size_t bytes) {
    if (BypassesCache(image)) cximage::CopyStreaming(in, row, bytes);
    else std::memcpy(row, in, bytes);
}
// A red-first row into an image row, bypassing the caches for a large picture.
inline void PutRedFirstRow(const CxImage& image, const uint8_t* in, uint8_t* row, size_t pixels) {
    (BypassesCache(image) ? cximage::SwapRedBlueStreaming : cximage::SwapRedBlue)(in, row, pixels);
}

// Takes the comment segments out of the main header of a JPEG-2000 code
// stream (inside its jp2c box for a JP2 file, whose length is corrected);
// returns the new size.
size_t DropMainHeaderComments(uint8_t* bytes, size_t size, bool jp2);

// Creates the image for a picture read by one of our codecs; false: no memory.
bool CreatePicture(CxImage& image, uint32_t width, uint32_t height, uint32_t depth, uint32_t format);
// The same with the pixel rows left uncleared, for a reader that writes
// every byte of every row (see FillRowTail) or fails.
bool CreateFullPicture(CxImage& image, uint32_t width, uint32_t height, uint32_t depth, uint32_t format);
// Clears the padding after the first used bytes of an image row.
inline void FillRowTail(const CxImage& image, uint8_t* row, size_t used) {
    const size_t rowBytes = image.GetRowBytes();
    if (used < rowBytes) std::memset(row + used, 0, rowBytes - used);
}

// ---- readers (the stream is at the start of the data) --------------------
Status ReadPnm(CxStreamReader& reader, CxImage& image, DecodeRequest& request);
Status ReadPgx(CxStreamReader& reader, CxImage& image, DecodeRequest& request);
Status ReadRas(CxStreamReader& reader, CxImage& image, DecodeRequest& request);
// Limits of a JPEG-2000 picture, held against its size segment before
// OpenJPEG reads the header: tile indices are 16 bits; OpenJPEG keeps one
// record per tile and component; it decodes into 32-bit samples, so the
// samples of all components together are held to half the memory cap
// (a 6000 x 4000 colour picture takes 72 million).
inline constexpr uint64_t kMaxTiles = 65535;
inline constexpr uint64_t kMaxTileComponents = 65536;
inline constexpr uint64_t kMaxDecodedSamples = CXIMAGE_MAX_MEMORY / 2;
// Checks the size segment of the data at the stream's position (a JP2 file
// or a bare code stream); the position is left anywhere.
Status CheckCodeStreamSize(CxStream* stream, bool jp2);
// JP2 (jp2 true) or a bare code stream, through OpenJPEG.
Status ReadJpeg2000(CxStream* stream, bool jp2, CxImage& image, DecodeRequest& request);

// ---- writers ----
// The encoder option for a quality: "rate=%.3f" of quality x 0.01.
void FormatRateOption(uint8_t quality, char* out, size_t size);
// Its value; 0 for a text that is not a rate option.
double ParseRateOption(const char* option);
// OpenJPEG's compression ratio for a rate (a fraction of the uncompressed
// size): 1 / rate below 1, 0 (no target: lossless) from 1 up. A rate of 0
// asks for the smallest file and gets kMaxRatio.
inline constexpr double kMaxRatio = 1000.0;
inline double CompressionRatio(double rate) {
    if (rate >= 1.0) return 0.0;
    if (rate <= 1.0 / kMaxRatio) return kMaxRatio;
    return 1.0 / rate;
}
// The image as the writers see it: one grey component (palette index) or
// three (red, green, blue), 8 bits each, rows from the top.
class SourceRows {
public:
    explicit SourceRows(const CxImage& image) : image_(image), grey_(image.IsIndexed()) {}
    uint32_t Width() const { return image_.GetWidth(); }
    uint32_t Height() const { return image_.GetHeight(); }
    uint32_t Components() const { return grey_ ? 1 : 3; }
    // Row y (0 = top) as interleaved samples, Width() x Components() bytes.
    void Row(uint32_t y, uint8_t* out) const;
    // The same in blue, green, red order for three components.
    void RowBgr(uint32_t y, uint8_t* out) const;
    // The image's own row y (0 = top) when it holds one byte a sample: blue,
    // green, red for three components, the grey index for an 8-bit image;
    // null for 1- and 4-bit images.
    const uint8_t* DirectRow(uint32_t y) const {
        return grey_ && image_.GetBpp() != 8 ? nullptr : image_.GetBits(Height() - 1 - y);
    }

private:
    const CxImage& image_;
    bool grey_;
};

// Each returns false when the stream refuses a write.
bool WritePnm(CxStream* stream, const SourceRows& source);
bool WritePgx(CxStream* stream, const SourceRows& source);
bool WriteRas(CxStream* stream, const SourceRows& source);
// rate: fraction of the uncompressed size (>= 1 lossless). False: the
// encoder failed.
bool WriteJpeg2000(CxStream* stream, bool jp2, const SourceRows& source, double rate);

}  // namespace cxjas
