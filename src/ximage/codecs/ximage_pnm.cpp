// PNM: portable bitmaps, grey maps and pixmaps (P1-P6), plain (ASCII) and
// raw (binary). Only the first image of a file is read; PAM (P7) is refused.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/codecs/ximage_jas_text.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_allocation.h"

namespace cxjas {
namespace {

constexpr uint32_t kMaxDimension = 0x7FFFFFFF;
constexpr uint32_t kMaxMaxval = 65535;

struct PnmHeader {
    char kind;          // '1' to '6'
    uint32_t width;
    uint32_t height;
    uint32_t maxval;    // 1 for bitmaps
    uint32_t channels;  // 3 for pixmaps
    bool plain;         // P1-P3: ASCII samples
    bool bitmap;        // P1, P4
};

bool ReadHeader(HeaderText& text, PnmHeader& h) {
    if (text.Get() != 'P') return false;
    const int kind = text.Get();
    if (kind < '1' || kind > '6') return false;  // P7 (PAM) is not read
    h.kind = static_cast<char>(kind);
    h.plain = kind <= '3';
    h.bitmap = kind == '1' || kind == '4';
    h.channels = kind == '3' || kind == '6' ? 3 : 1;
    // The magic number must be followed by white space or a comment.
    if (!text.Number(h.width, kMaxDimension) || !text.Number(h.height, kMaxDimension)) return false;
    h.maxval = 1;
    if (!h.bitmap && !text.Number(h.maxval, kMaxMaxval)) return false;
    return h.width > 0 && h.height > 0 && h.maxval > 0;
}

// PBM: 1 is black; the image's palette has black at 0.
void InvertBits(uint8_t* row, uint32_t bytes, uint32_t width) {
    for (uint32_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
    if (width % 8) row[bytes - 1] &= static_cast<uint8_t>(0xFF << (8 - width % 8));
}

// The sample that a grey image of this depth stores for v.
struct GreyMap {
    uint32_t depth;
    SampleScale scale;
    uint8_t operator()(uint32_t v) const {
        if (depth == 8) return scale(v);
        return static_cast<uint8_t>(v > scale.Maxval() ? scale.Maxval() : v);
    }
};

uint32_t GreyDepthForMaxval(uint32_t maxval) {
    if (maxval == 1) return 1;
    if (maxval == 15) return 4;
    return 8;
}

// Rows of whole bytes read straight into their places in the picture. Red-
// first rows come a chunk at a time and are turned into blue-first while the
// chunk is still in the cache; others all at once. No pass copies them a
// second time.
Status ReadRowsInPlace(CxStreamReader& reader, CxImage& image, uint32_t lineBytes, bool redFirst) {
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    const auto perChunk =
        redFirst ? static_cast<uint32_t>(std::max<uint64_t>(1, RowChunks::kChunkBytes / lineBytes)) : height;
    const std::unique_ptr<qlry::ReadPiece[]> pieces(cximage::NewArray<qlry::ReadPiece>(std::min(perChunk, height)));
    if (!pieces) return Status::kNoMemory;
    for (uint32_t y = 0; y < height; y += perChunk) {
        size_t count = 0;
        for (uint32_t i = y; i < height && i < y + perChunk; ++i) pieces[count++] = {image.GetBits(height - 1 - i), lineBytes};
        if (!reader.ReadPieces(pieces.get(), count)) return Status::kCorrupt;
        for (size_t n = 0; n < count; ++n) {
            auto* row = static_cast<uint8_t*>(pieces[n].data);
            if (redFirst) SwapRedBlue(row, row, width);
            FillRowTail(image, row, lineBytes);
        }
    }
    return Status::kOk;
}

Status ReadRaw(CxStreamReader& reader, CxImage& image, const PnmHeader& h, const GreyMap& grey) {
    const uint32_t width = h.width, height = h.height;
    if (h.bitmap) {
        const uint32_t lineBytes = (width + 7) / 8;
        RowChunks rows(reader, lineBytes, height);
        if (!rows.Ready()) return Status::kNoMemory;
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* in = rows.Next();
            if (!in) return Status::kCorrupt;
            uint8_t* row = image.GetBits(height - 1 - y);
            std::memcpy(row, in, lineBytes);
            InvertBits(row, lineBytes, width);
        }
        return Status::kOk;
    }
    const uint32_t samples = width * h.channels;  // fits: checked against the cap
    const bool wide = h.maxval > 255;
    if (h.maxval == 255 && (h.channels == 3 || grey.depth == 8))
        return ReadRowsInPlace(reader, image, samples, h.channels == 3);
    uint8_t table[256];
    for (uint32_t v = 0; v < 256; ++v) table[v] = grey.scale(v);
    RowChunks rows(reader, uint64_t{samples} * (wide ? 2 : 1), height);
    if (!rows.Ready()) return Status::kNoMemory;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t rowIndex = height - 1 - y;
        uint8_t* row = image.GetBits(rowIndex);
        const uint8_t* in = rows.Next();
        if (!in) return Status::kCorrupt;
        if (h.channels == 1 && grey.depth < 8) {
            // 1- and 4-bit grey rows are narrower than their samples.
            for (uint32_t x = 0; x < width; ++x) image.SetPixelIndex(x, rowIndex, grey(in[x]));
        } else if (wide) {
            for (uint32_t i = 0; i < samples; ++i) row[i] = grey.scale(cximage::LoadU16BE(in + 2 * i));
            if (h.channels == 3) SwapRedBlue(row, row, width);
        } else {
            for (uint32_t i = 0; i < samples; ++i) row[i] = table[in[i]];
            if (h.channels == 3) SwapRedBlue(row, row, width);
        }
        if (grey.depth >= 8 || h.channels == 3) FillRowTail(image, row, samples);
    }
    return Status::kOk;
}

Status ReadPlain(CxStreamReader& reader, CxImage& image, const PnmHeader& h, const GreyMap& grey) {
    HeaderText text(reader, true);
    const uint32_t width = h.width, height = h.height;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t row = height - 1 - y;
        for (uint32_t x = 0; x < width; ++x) {
            if (h.bitmap) {
                // Digits need no separators in a plain bitmap.
                const int c = text.SkipSpace();
                if (c != '0' && c != '1') return Status::kCorrupt;
                image.SetPixelIndex(x, row, c == '0' ? 1 : 0);
                continue;
            }
            uint32_t v[3] = {};
            for (uint32_t c = 0; c < h.channels; ++c)
                if (!text.Number(v[c], kMaxMaxval)) return Status::kCorrupt;
            if (h.channels == 3) {
                uint8_t* p = image.GetBits(row) + 3 * x;
                p[0] = grey.scale(v[2]);
                p[1] = grey.scale(v[1]);
                p[2] = grey.scale(v[0]);
            } else {
                image.SetPixelIndex(x, row, grey(v[0]));
            }
        }
    }
    return Status::kOk;
}

}  // namespace

Status ReadPnm(CxStreamReader& reader, CxImage& image, DecodeRequest& request) {
    HeaderText text(reader, true);
    PnmHeader h{};
    if (!ReadHeader(text, h)) return Status::kCorrupt;

    // No allocation before the data is known to be there: raw samples take
    // their size, plain ones at least a byte each.
    const uint64_t bytesPerSample = h.plain ? 1 : (h.maxval > 255 ? 2 : 1);
    uint64_t pixelBytes = 0, rasterBytes = 0;
    if (!cximage::ProductWithin({h.width, h.height, h.channels}, CXIMAGE_MAX_MEMORY, pixelBytes))
        return Status::kCorrupt;
    if (h.bitmap && !h.plain)
        rasterBytes = uint64_t{(h.width + 7) / 8} * h.height;
    else
        rasterBytes = pixelBytes * bytesPerSample;
    if (!reader.Has(rasterBytes)) return Status::kCorrupt;

    const GreyMap grey{h.bitmap ? 1u : GreyDepthForMaxval(h.maxval), SampleScale(h.maxval)};
    uint32_t depth = 24;
    if (h.channels == 1) {
        if (CheckFrame(request, 1) != Status::kOk) return Status::kWrongFrame;
        depth = grey.depth;
    }
    // Raw 8- and 24-bit rows are written whole (padding too) or the read fails.
    const bool fullRows = !h.plain && !h.bitmap && depth >= 8;
    if (!(fullRows ? CreateFullPicture : CreatePicture)(image, h.width, h.height, depth, request.format))
        return Status::kNoMemory;
    return h.plain ? ReadPlain(reader, image, h, grey) : ReadRaw(reader, image, h, grey);
}

bool WritePnm(CxStream* stream, const SourceRows& source) {
    const bool colour = source.Components() == 3;
    char header[64];
    const int length =
        std::snprintf(header, sizeof(header), "P%c\n%u %u\n255\n", colour ? '6' : '5', source.Width(), source.Height());
    if (stream->Write(header, 1, static_cast<size_t>(length)) != static_cast<size_t>(length)) return false;
    const size_t lineBytes = size_t{source.Width()} * source.Components();
    CxBuffer line(lineBytes);
    if (!line) return false;
    for (uint32_t y = 0; y < source.Height(); ++y) {
        source.Row(y, line.data());
        if (stream->Write(line.data(), 1, lineBytes) != lineBytes) return false;
    }
    return true;
}

}  // namespace cxjas
