#pragma once
// Little-endian field access and size arithmetic for file and block parsing.
// Packed headers are read field by field from bytes, never by casting.
#include <cstddef>
#include <cstdint>

#include "ximage/ximage.h"

namespace cximage {

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 40-byte BITMAPINFOHEADER to and from bytes.
void StoreInfoHeader(uint8_t* p, const CxBitmapInfoHeader& h);
CxBitmapInfoHeader LoadInfoHeader(const uint8_t* p);

// Bytes of one row of width pixels at bpp bits, padded to 4 bytes (64-bit).
inline uint64_t DibRowBytes(uint64_t width, uint64_t bpp) { return ((width * bpp + 31) / 32) * 4; }

// Pixels-per-metre to dots per inch: floor(ppm * 0.0254 + 0.5).
int32_t PpmToDpi(int32_t ppm);

}  // namespace cximage
