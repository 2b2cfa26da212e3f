#include "ximage/dib/ximage_bytes.h"

#include <cmath>

namespace cximage {

void StoreInfoHeader(uint8_t* p, const CxBitmapInfoHeader& h) {
    StoreU32(p + 0, h.biSize);
    StoreU32(p + 4, static_cast<uint32_t>(h.biWidth));
    StoreU32(p + 8, static_cast<uint32_t>(h.biHeight));
    StoreU16(p + 12, h.biPlanes);
    StoreU16(p + 14, h.biBitCount);
    StoreU32(p + 16, h.biCompression);
    StoreU32(p + 20, h.biSizeImage);
    StoreU32(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
    StoreU32(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
    StoreU32(p + 32, h.biClrUsed);
    StoreU32(p + 36, h.biClrImportant);
}

CxBitmapInfoHeader LoadInfoHeader(const uint8_t* p) {
    CxBitmapInfoHeader h;
    h.biSize = LoadU32(p + 0);
    h.biWidth = LoadI32(p + 4);
    h.biHeight = LoadI32(p + 8);
    h.biPlanes = LoadU16(p + 12);
    h.biBitCount = LoadU16(p + 14);
    h.biCompression = LoadU32(p + 16);
    h.biSizeImage = LoadU32(p + 20);
    h.biXPelsPerMeter = LoadI32(p + 24);
    h.biYPelsPerMeter = LoadI32(p + 28);
    h.biClrUsed = LoadU32(p + 32);
    h.biClrImportant = LoadU32(p + 36);
    return h;
}

int32_t PpmToDpi(int32_t ppm) { return static_cast<int32_t>(std::floor(ppm * 0.0254 + 0.5)); }

}  // namespace cximage
