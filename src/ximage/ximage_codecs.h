#pragma once
// The codec table behind Decode and Encode. Each codec takes one row:
//
//     CxCodecRow<CxImagePNG>(CXIMAGE_FORMAT_PNG),
//
// placed at its position in the detection order (formats 0 tries the rows
// from first to last). A row serves the formats firstFormat..lastFormat;
// during detection its codec is asked with detectFormat. Codec classes derive
// from CxImage and offer Decode(CxStream*) and Encode(CxStream*), or, for a
// family served by one class, Decode(CxStream*, format) and
// Encode(CxStream*, format); a default constructor sets their format.
#include <cstdint>
#include <span>

#include "ximage/ximage.h"

class CxStream;

struct CxCodecEntry {
    uint32_t firstFormat;
    uint32_t lastFormat;
    uint32_t detectFormat;
    bool reportsFrames;  // a failed typed decode hands numFrames back (GIF, ICO, TIFF)
    // Decodes into image through a codec object; typed: keep the codec's error text.
    bool (*decode)(CxImage& image, CxStream* stream, uint32_t format, bool typed, bool reportsFrames);
    bool (*encode)(CxImage& image, CxStream* stream, uint32_t format);
};

template <class Codec>
bool CxDecodeAs(CxImage& image, CxStream* stream, uint32_t format, bool typed, bool reportsFrames) {
    Codec codec;
    codec.CopyOptions(image);
    bool ok;
    if constexpr (requires { codec.Decode(stream, format); }) ok = codec.Decode(stream, format);
    else ok = codec.Decode(stream);
    if (ok) return image.TakeOver(codec);
    if (typed) {
        image.SetLastErrorText(codec.GetLastError());
        if (reportsFrames) image.SetNumFrames(codec.GetNumFrames());
    }
    return false;
}

template <class Codec>
bool CxEncodeAs(CxImage& image, CxStream* stream, uint32_t format) {
    Codec codec;
    codec.BorrowFrom(&image);  // a view: the codec frees nothing of image
    bool ok;
    if constexpr (requires { codec.Encode(stream, format); }) ok = codec.Encode(stream, format);
    else ok = codec.Encode(stream);
    if (!ok) image.SetLastErrorText(codec.GetLastError());
    return ok;
}

template <class Codec>
constexpr CxCodecEntry CxCodecRow(uint32_t format, bool reportsFrames = false) {
    return CxCodecEntry{format, format, format, reportsFrames, &CxDecodeAs<Codec>, &CxEncodeAs<Codec>};
}

// The codecs built into the library, in detection order.
std::span<const CxCodecEntry> CxCodecTable();

// Decode and Encode over a given table (the library's own, or a test's).
bool CxDecodeWith(std::span<const CxCodecEntry> table, CxImage& image, CxStream* stream, uint32_t format);
bool CxEncodeWith(std::span<const CxCodecEntry> table, CxImage& image, CxStream* stream, uint32_t format);
