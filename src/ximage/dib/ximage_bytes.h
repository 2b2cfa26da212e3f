#pragma once
// Bitmap-header fields for file and block parsing (the field readers and
// size arithmetic are in cx_checked.h). Packed headers are read field by
// field from bytes, never by casting.
#include <cstddef>
#include <cstdint>

#include "ximage/toolkit/cx_checked.h"
#include "ximage/ximage.h"

namespace cximage {

// The 40-byte BITMAPINFOHEADER to and from bytes.
void StoreInfoHeader(uint8_t* p, const CxBitmapInfoHeader& h);
CxBitmapInfoHeader LoadInfoHeader(const uint8_t* p);

// Bytes of one row of width pixels at bpp bits, padded to 4 bytes (64-bit).
inline uint64_t DibRowBytes(uint64_t width, uint64_t bpp) { return ((width * bpp + 31) / 32) * 4; }

// Pixels-per-metre to dots per inch: floor(ppm * 0.0254 + 0.5).
int32_t PpmToDpi(int32_t ppm);

}  // namespace cximage
