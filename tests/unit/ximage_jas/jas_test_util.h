#pragma once
// Helpers of the JPEG-2000 family's tests: files and pictures built in the
// test, and the shared codec helpers they use.
#include <cstdint>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/ximage.h"

namespace jastest {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::MaxDifference;

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A Sun raster header (length 0: not given).
inline Bytes RasHeader(uint32_t width, uint32_t height, uint32_t depth, uint32_t type, uint32_t mapType = 0,
                       uint32_t mapLength = 0) {
    Bytes out(32);
    const uint32_t fields[8] = {0x59A66A95, width, height, depth, 0, type, mapType, mapLength};
    for (int i = 0; i < 8; ++i) cximage::StoreU32BE(out.data() + 4 * i, fields[i]);
    return out;
}

// A 24-bit picture with a gradient in each channel and some structure.
inline void MakeColour(CxImage& image, uint32_t width, uint32_t height) {
    image.Create(width, height, 24, CXIMAGE_FORMAT_BMP);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            CxRgbQuad c;
            c.rgbRed = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            c.rgbGreen = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            c.rgbBlue = static_cast<uint8_t>((x * 7 + y * 13) & 0xFF);
            image.SetPixelColor(x, y, c);
        }
}

// An 8-bit picture with the grey palette.
inline void MakeGrey(CxImage& image, uint32_t width, uint32_t height) {
    image.Create(width, height, 8, CXIMAGE_FORMAT_BMP);
    image.SetGrayPalette();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) image.SetPixelIndex(x, y, static_cast<uint8_t>((x * 3 + y * 5) & 0xFF));
}

}  // namespace jastest
