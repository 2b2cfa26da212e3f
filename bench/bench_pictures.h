#pragma once
// The benchmarks' generated pictures, painted into an image of any size at
// 24 bits: a photo (smooth gradients with sensor-like noise on every
// sample) and a screenshot (flat panels, frames and rows of glyph-like
// marks on a plain desktop).
#include <cstdint>

#include "ximage/ximage.h"

namespace qlry::bench {

inline uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

inline void PaintPhoto(CxImage& image) {
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.GetBits(y);
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 3; ++c) {
                const int base = static_cast<int>((x * (c + 1) * 255 / width + y * (3 - c) * 255 / height) / 3);
                const int noise = static_cast<int>(Hash(y * width * 3 + x * 3 + c) % 33) - 16;
                const int v = base + noise;
                row[3 * x + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    }
}

inline void PaintScreenshot(CxImage& image) {
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t panel = (x / 1500) + 4 * (y / 1000);
            uint8_t b = 0xF0, g = 0xF0, r = 0xF0;
            if (x % 1500 < 4 || y % 1000 < 4) b = 0x80, g = 0x60, r = 0x40;  // frames
            else if (y % 1000 < 40) b = 0xD0, g = 0x90, r = 0x30;            // title bars
            else if (panel % 3 == 1) b = 0xFF, g = 0xFF, r = 0xFF;
            const bool textLine = y % 24 >= 6 && y % 24 < 18 && x % 1500 > 40 && x % 1500 < 1200;
            if (textLine && (Hash((y / 2) * 977 + x / 2 + panel) & 7) == 0) b = g = r = 0x20;
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
}

// An alpha plane that fades from opaque at the left to clear at the right.
inline void AddFadingAlpha(CxImage& image) {
    image.AlphaCreate();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            image.AlphaSet(x, y, static_cast<uint8_t>(255 - x * 255 / image.GetWidth()));
}

}  // namespace qlry::bench
