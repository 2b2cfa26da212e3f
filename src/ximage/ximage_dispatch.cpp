// CxImage: routing decode and encode requests to the codec of a format.
#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"
#include "ximage/ximage_codecs.h"

namespace {

const CxCodecEntry* RowFor(std::span<const CxCodecEntry> table, uint32_t format) {
    for (const CxCodecEntry& row : table)
        if (format >= row.firstFormat && format <= row.lastFormat) return &row;
    return nullptr;
}

}  // namespace

bool CxDecodeWith(std::span<const CxCodecEntry> table, CxImage& image, CxStream* stream, uint32_t format) {
    if (format == CXIMAGE_FORMAT_UNKNOWN) {
        const int32_t start = stream ? stream->Tell() : 0;
        for (const CxCodecEntry& row : table) {
            if (row.decode(image, stream, row.detectFormat, false, row.reportsFrames)) return true;
            if (stream) stream->Seek(start, SEEK_SET);
        }
    } else if (const CxCodecEntry* row = RowFor(table, format)) {
        return row->decode(image, stream, format, true, row->reportsFrames);
    }
    image.SetLastErrorText("Decode: Unknown or wrong format");
    return false;
}

bool CxEncodeWith(std::span<const CxCodecEntry> table, CxImage& image, CxStream* stream, uint32_t format) {
    const CxCodecEntry* row = format == CXIMAGE_FORMAT_UNKNOWN ? nullptr : RowFor(table, format);
    if (!row) {
        image.SetLastErrorText("Encode: Unknown format");
        return false;
    }
    return row->encode(image, stream, format);
}

bool CxImage::Decode(CxStream* stream, uint32_t format) { return CxDecodeWith(CxCodecTable(), *this, stream, format); }

bool CxImage::Encode(CxStream* stream, uint32_t format) { return CxEncodeWith(CxCodecTable(), *this, stream, format); }

bool CxImage::CheckEncodeArgs(CxStream* stream) {
    if (!stream) {
        SetLastErrorText("null file handler");
        return true;
    }
    if (!dib) {
        SetLastErrorText("null image!!!");
        return true;
    }
    return false;
}
