// The size segment (SIZ) of a JPEG-2000 code stream, found and checked
// before OpenJPEG sees the data: OpenJPEG sets up every tile's coding
// parameters while it reads the header, so an absurd tile or component
// count must be refused before that.
#include <cstdint>
#include <cstdio>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace cxjas {
namespace {

constexpr uint32_t kBoxHeader = 8;
constexpr uint32_t kCodeStreamBox = 0x6A703263;  // 'jp2c'
constexpr int kMaxBoxes = 1024;
constexpr uint32_t kSizFixed = 38;  // Lsiz to Csiz, without the markers

// Moves the stream to the first byte of the contents of the top-level
// 'jp2c' box; false when there is none.
bool FindCodeStream(CxStreamReader& reader) {
    for (int i = 0; i < kMaxBoxes; ++i) {
        uint32_t length = 0, type = 0;
        if (!reader.U32BE(length) || !reader.U32BE(type)) return false;
        uint64_t content = 0;
        if (length == 1) {
            uint32_t high = 0, low = 0;
            if (!reader.U32BE(high) || !reader.U32BE(low)) return false;
            const uint64_t total = (uint64_t{high} << 32) | low;
            if (total < kBoxHeader + 8) return false;
            content = total - kBoxHeader - 8;
        } else if (length == 0) {
            content = reader.Remaining();
        } else {
            if (length < kBoxHeader) return false;
            content = length - kBoxHeader;
        }
        if (type == kCodeStreamBox) return true;
        if (!reader.Skip(content)) return false;
    }
    return false;
}

}  // namespace

Status CheckCodeStreamSize(CxStream* stream, bool jp2) {
    CxStreamReader reader(stream);
    if (jp2 && !FindCodeStream(reader)) return Status::kCorrupt;
    uint8_t head[4 + kSizFixed];
    if (!reader.Read(head, sizeof(head))) return Status::kCorrupt;
    if (cximage::LoadU32BE(head) != 0xFF4FFF51) return Status::kCorrupt;  // SOC, SIZ
    const uint8_t* p = head + 4;
    const uint32_t width = cximage::LoadU32BE(p + 4), height = cximage::LoadU32BE(p + 8);
    const uint32_t x0 = cximage::LoadU32BE(p + 12), y0 = cximage::LoadU32BE(p + 16);
    const uint32_t tileWidth = cximage::LoadU32BE(p + 20), tileHeight = cximage::LoadU32BE(p + 24);
    const uint32_t tileX0 = cximage::LoadU32BE(p + 28), tileY0 = cximage::LoadU32BE(p + 32);
    const uint32_t components = cximage::LoadU16BE(p + 36);
    if (components == 0) return Status::kCorrupt;
    if (components > kMaxComponents) return Status::kTooMany;
    if (width <= x0 || height <= y0 || tileWidth == 0 || tileHeight == 0 || tileX0 > x0 || tileY0 > y0)
        return Status::kCorrupt;
    const uint64_t tilesAcross = (uint64_t{width} - tileX0 + tileWidth - 1) / tileWidth;
    const uint64_t tilesDown = (uint64_t{height} - tileY0 + tileHeight - 1) / tileHeight;
    uint64_t tileParts = 0;
    if (!cximage::ProductWithin({tilesAcross, tilesDown}, kMaxTiles, tileParts) ||
        !cximage::ProductWithin({tileParts, components}, kMaxTileComponents, tileParts))
        return Status::kCorrupt;

    uint64_t samples = 0;
    for (uint32_t c = 0; c < components; ++c) {
        uint8_t s[3];
        if (!reader.Read(s, sizeof(s))) return Status::kCorrupt;
        const uint32_t dx = s[1], dy = s[2];
        if (dx == 0 || dy == 0) return Status::kCorrupt;
        const uint64_t w = (uint64_t{width} + dx - 1) / dx - (uint64_t{x0} + dx - 1) / dx;
        const uint64_t h = (uint64_t{height} + dy - 1) / dy - (uint64_t{y0} + dy - 1) / dy;
        uint64_t plane = 0;
        if (!cximage::ProductWithin({w, h}, kMaxDecodedSamples, plane) ||
            !cximage::CheckedAdd(samples, plane, samples) || samples > kMaxDecodedSamples)
            return Status::kCorrupt;
    }
    return Status::kOk;
}

}  // namespace cxjas
