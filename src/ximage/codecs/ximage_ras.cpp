// Sun raster: a 32-byte big-endian header, an optional colour map, then the
// rows from the top, each padded to 16 bits. Depths 1, 8, 24 and 32; types
// old (0) and standard (1) stored plain, byte-encoded (2) run-length coded,
// and RGB (3) plain with red first (the others store blue first).
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace cxjas {
namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr uint32_t kHeaderSize = 32;
enum RasType : uint32_t { kOld = 0, kStandard = 1, kByteEncoded = 2, kRgb = 3 };
enum RasMap : uint32_t { kNoMap = 0, kRgbMap = 1, kRawMap = 2 };
constexpr uint8_t kRunFlag = 0x80;
// A run of three bytes gives at most 256: data shorter than this share of
// the rows cannot hold them.
constexpr uint64_t kMaxRunGain = 86;

struct RasHeader {
    uint32_t width, height, depth, length, type, mapType, mapLength;
};

// The coded bytes of a byte-encoded file, read in chunks: 0x80 0 is one
// 0x80; 0x80 n v is n + 1 bytes v; any other byte stands for itself.
class RunDecoder {
public:
    explicit RunDecoder(CxStreamReader& reader) : reader_(reader) {}

    bool Read(uint8_t* out, size_t count) {
        for (size_t i = 0; i < count;) {
            if (runLeft_ > 0) {
                const size_t n = runLeft_ < count - i ? runLeft_ : count - i;
                std::memset(out + i, runValue_, n);
                runLeft_ -= static_cast<uint32_t>(n);
                i += n;
                continue;
            }
            int c = Next();
            if (c < 0) return false;
            if (c != kRunFlag) {
                out[i++] = static_cast<uint8_t>(c);
                continue;
            }
            const int n = Next();
            if (n < 0) return false;
            if (n == 0) {
                out[i++] = kRunFlag;
                continue;
            }
            const int v = Next();
            if (v < 0) return false;
            runValue_ = static_cast<uint8_t>(v);
            runLeft_ = static_cast<uint32_t>(n) + 1;
        }
        return true;
    }

private:
    int Next() {
        if (at_ == filled_) {
            filled_ = reader_.ReadOrZero(chunk_, sizeof(chunk_));
            at_ = 0;
            if (filled_ == 0) return -1;
        }
        return chunk_[at_++];
    }

    CxStreamReader& reader_;
    uint8_t chunk_[16384];
    size_t filled_ = 0, at_ = 0;
    uint32_t runLeft_ = 0;
    uint8_t runValue_ = 0;
};

bool ParseHeader(CxStreamReader& reader, RasHeader& h) {
    uint8_t b[kHeaderSize];
    if (!reader.Read(b, sizeof(b)) || cximage::LoadU32BE(b) != kMagic) return false;
    h.width = cximage::LoadU32BE(b + 4);
    h.height = cximage::LoadU32BE(b + 8);
    h.depth = cximage::LoadU32BE(b + 12);
    h.length = cximage::LoadU32BE(b + 16);
    h.type = cximage::LoadU32BE(b + 20);
    h.mapType = cximage::LoadU32BE(b + 24);
    h.mapLength = cximage::LoadU32BE(b + 28);
    if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFF || h.height > 0x7FFFFFFF) return false;
    if (h.depth != 1 && h.depth != 8 && h.depth != 24 && h.depth != 32) return false;
    if (h.type > kRgb || h.mapType > kRawMap) return false;
    return true;
}

}  // namespace

Status ReadRas(CxStreamReader& reader, CxImage& image, DecodeRequest& request) {
    RasHeader h{};
    if (!ParseHeader(reader, h)) return Status::kCorrupt;
    const uint64_t lineBytes = (uint64_t{h.width} * h.depth + 15) / 16 * 2;
    uint64_t rasterBytes = 0, pixelBytes = 0;
    if (!cximage::ProductWithin({lineBytes, h.height}, CXIMAGE_MAX_MEMORY, rasterBytes) ||
        !cximage::ProductWithin({h.width, h.height, 3}, CXIMAGE_MAX_MEMORY, pixelBytes))
        return Status::kCorrupt;
    if (!reader.Has(h.mapLength)) return Status::kCorrupt;

    // The colour map: three planes (red, green, blue) of up to 256 entries.
    uint8_t map[3][256] = {};
    uint32_t mapEntries = 0;
    const bool indexed = h.depth <= 8;
    if (h.mapType == kRgbMap && indexed) {
        if (h.mapLength % 3 != 0 || h.mapLength > 3 * 256) return Status::kCorrupt;
        mapEntries = h.mapLength / 3;
        for (auto& plane : map)
            if (!reader.Read(plane, mapEntries)) return Status::kCorrupt;
    } else if (!reader.Skip(h.mapLength)) {
        return Status::kCorrupt;
    }

    const bool coded = h.type == kByteEncoded;
    if (!reader.Has(coded ? rasterBytes / kMaxRunGain : rasterBytes)) return Status::kCorrupt;

    const bool colour = !indexed || mapEntries > 0;
    if (!colour && CheckFrame(request, 1) != Status::kOk) return Status::kWrongFrame;
    // Every row below is written whole, padding too, or the read fails.
    if (!CreateFullPicture(image, h.width, h.height, colour ? 24 : h.depth, request.format)) return Status::kNoMemory;

    CxBuffer line(lineBytes);
    if (!line) return Status::kNoMemory;
    RunDecoder runs(reader);
    RowChunks chunks(reader, lineBytes, coded ? 0 : h.height);
    if (!coded && !chunks.Ready()) return Status::kNoMemory;
    const uint32_t width = h.width, height = h.height;
    const bool redFirst = h.type == kRgb;
    const size_t used = colour ? size_t{h.width} * 3 : h.depth == 8 ? h.width : (size_t{h.width} + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.GetBits(height - 1 - y);
        const uint8_t* in = line.data();
        if (coded) {
            if (!runs.Read(line.data(), line.size())) return Status::kCorrupt;
        } else if (!(in = chunks.Next())) {
            return Status::kCorrupt;
        }
        if (h.depth == 24) {
            // Blue first is the image's own order.
            if (redFirst) PutRedFirstRow(image, in, row, width);
            else PutRow(image, in, row, size_t{width} * 3);
        } else if (h.depth == 32) {
            const uint32_t step = h.depth / 8;
            const uint32_t skip = step - 3;  // 32 bits: a pad byte before the colour
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = in + size_t{x} * step + skip;
                row[3 * x] = redFirst ? p[2] : p[0];
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = redFirst ? p[0] : p[2];
            }
        } else if (!colour) {
            // Grey: 8-bit samples as they are; 1 bit: set is black.
            if (h.depth == 8) {
                std::memcpy(row, in, width);
            } else {
                const uint32_t bytes = (width + 7) / 8;
                for (uint32_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~in[i]);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t index = h.depth == 8 ? in[x] : (in[x / 8] >> (7 - x % 8)) & 1u;
                const bool known = index < mapEntries;
                row[3 * x] = known ? map[2][index] : 0;
                row[3 * x + 1] = known ? map[1][index] : 0;
                row[3 * x + 2] = known ? map[0][index] : 0;
            }
        }
        FillRowTail(image, row, used);
    }
    return Status::kOk;
}

bool WriteRas(CxStream* stream, const SourceRows& source) {
    const uint32_t components = source.Components();
    const uint32_t width = source.Width(), height = source.Height();
    const uint64_t dataBytes = uint64_t{width} * components;
    const uint64_t lineBytes = (dataBytes + 1) / 2 * 2;
    uint64_t length = 0;
    if (!cximage::CheckedMul(lineBytes, height, length) || length > 0xFFFFFFFF) length = 0;  // 0: not given
    uint8_t header[kHeaderSize];
    const uint32_t fields[8] = {kMagic, width, height, components * 8, static_cast<uint32_t>(length),
                                kStandard, kNoMap, 0};
    for (int i = 0; i < 8; ++i) cximage::StoreU32BE(header + 4 * i, fields[i]);
    if (stream->Write(header, 1, sizeof(header)) != sizeof(header)) return false;
    CxBuffer line(lineBytes);
    if (!line) return false;
    for (uint32_t y = 0; y < height; ++y) {
        if (components == 3) source.RowBgr(y, line.data());
        else source.Row(y, line.data());
        if (stream->Write(line.data(), 1, line.size()) != line.size()) return false;
    }
    return true;
}

}  // namespace cxjas
