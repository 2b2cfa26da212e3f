#pragma once
// The libwebp side of CxImageWEBP, shared by its sources.
#include <cstdint>

#include <webp/decode.h>

// A short text for a decoder status, in the style of the other codecs.
const char* WebpStatusText(VP8StatusCode status);

// The largest buffer a decode makes holds this many bytes a pixel: libwebp's
// own picture, the blue-green-red-alpha rows of a file with alpha, or an
// animation's canvas. Checked against CXIMAGE_MAX_MEMORY from the header.
inline constexpr uint64_t kWebpBytesPerPixel = 4;
