// PGX: the JPEG-2000 conformance suite's raw component format. A text
// header "PG ML|LM [+|-] depth width height", one white-space byte (or a
// CR LF line end), then the samples: one byte each up to 8 bits, two
// (big-endian for ML, little-endian for LM) up to 16; '-' marks
// two's-complement samples.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/codecs/ximage_jas_text.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace cxjas {
namespace {

constexpr uint32_t kMaxDepth = 16;
constexpr uint32_t kMaxDimension = 0x7FFFFFFF;

struct PgxHeader {
    bool bigEndian;
    bool isSigned;
    uint32_t depth;
    uint32_t width;
    uint32_t height;
};

bool ReadHeader(HeaderText& text, PgxHeader& h) {
    if (text.Get() != 'P' || text.Get() != 'G') return false;
    const int first = text.SkipSpace();
    const int second = text.Get();
    if (first == 'M' && second == 'L') h.bigEndian = true;
    else if (first == 'L' && second == 'M') h.bigEndian = false;
    else return false;
    int c = text.SkipSpace();
    h.isSigned = false;
    if (c == '+' || c == '-') {
        h.isSigned = c == '-';
        c = text.SkipSpace();
    }
    // The depth's digits, read here since the sign may run into them.
    uint32_t depth = 0;
    int digits = 0;
    while (c >= '0' && c <= '9' && digits < 3) {
        depth = depth * 10 + static_cast<uint32_t>(c - '0');
        ++digits;
        c = text.Get();
    }
    if (digits == 0 || !HeaderText::IsSpace(c) || depth == 0 || depth > kMaxDepth) return false;
    h.depth = depth;
    if (!text.Number(h.width, kMaxDimension) || !text.Number(h.height, kMaxDimension)) return false;
    return h.width > 0 && h.height > 0 && text.Terminator() >= 0;
}

}  // namespace

Status ReadPgx(CxStreamReader& reader, CxImage& image, DecodeRequest& request) {
    HeaderText text(reader, false);
    PgxHeader h{};
    if (!ReadHeader(text, h)) return Status::kCorrupt;
    const uint32_t sampleBytes = h.depth > 8 ? 2 : 1;
    uint64_t rasterBytes = 0;
    if (!cximage::ProductWithin({h.width, h.height, sampleBytes}, CXIMAGE_MAX_MEMORY, rasterBytes))
        return Status::kCorrupt;
    // Some of the conformance suite's pictures end the header with CR LF:
    // the LF is no sample when the samples fill the rest of the file.
    if (text.Terminator() == '\r' && reader.Remaining() == rasterBytes + 1) {
        const int64_t at = reader.Position();
        if (reader.GetByte() != '\n' && !reader.SeekTo(at)) return Status::kCorrupt;
    }
    if (!reader.Has(rasterBytes)) return Status::kCorrupt;
    if (CheckFrame(request, 1) != Status::kOk) return Status::kWrongFrame;

    const uint32_t depth = GreyDepth(h.depth, h.isSigned);
    // 8-bit rows are written whole (padding too) or the read fails.
    if (!(depth == 8 ? CreateFullPicture : CreatePicture)(image, h.width, h.height, depth, request.format))
        return Status::kNoMemory;

    const uint32_t width = h.width, height = h.height;
    const uint32_t max = (1u << h.depth) - 1;
    const uint32_t offset = h.isSigned ? 1u << (h.depth - 1) : 0;
    const bool direct = sampleBytes == 1 && depth == 8 && h.depth == 8 && !h.isSigned;
    RowChunks rows(reader, uint64_t{width} * sampleBytes, height);
    if (!rows.Ready()) return Status::kNoMemory;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t rowIndex = height - 1 - y;
        uint8_t* row = image.GetBits(rowIndex);
        const uint8_t* in = rows.Next();
        if (!in) return Status::kCorrupt;
        if (depth == 8) FillRowTail(image, row, width);
        if (direct) {
            PutRow(image, in, row, width);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x) {
            int32_t v;
            if (sampleBytes == 1) {
                v = h.isSigned ? static_cast<int8_t>(in[x]) : in[x];
            } else {
                const uint16_t raw = h.bigEndian ? cximage::LoadU16BE(in + 2 * x) : cximage::LoadU16(in + 2 * x);
                v = h.isSigned ? static_cast<int16_t>(raw) : raw;
            }
            int64_t shifted = int64_t{v} + offset;
            if (shifted < 0) shifted = 0;
            if (shifted > max) shifted = max;
            const auto sample = static_cast<uint32_t>(shifted);
            if (depth == 8) row[x] = ScalePrecision(sample, h.depth);
            else image.SetPixelIndex(x, rowIndex, static_cast<uint8_t>(sample));
        }
    }
    return Status::kOk;
}

bool WritePgx(CxStream* stream, const SourceRows& source) {
    char header[64];
    const int length = std::snprintf(header, sizeof(header), "PG ML + 8 %u %u\n", source.Width(), source.Height());
    if (stream->Write(header, 1, static_cast<size_t>(length)) != static_cast<size_t>(length)) return false;
    CxBuffer line(source.Width());
    if (!line) return false;
    for (uint32_t y = 0; y < source.Height(); ++y) {
        source.Row(y, line.data());
        if (stream->Write(line.data(), 1, line.size()) != line.size()) return false;
    }
    return true;
}

}  // namespace cxjas
