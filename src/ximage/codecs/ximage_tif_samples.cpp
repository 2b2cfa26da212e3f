#include "ximage/codecs/ximage_tif_samples.h"

#include <bit>
#include <cmath>
#include <cstring>

void TifReduceToHighBytes(uint8_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint16_t sample;
        std::memcpy(&sample, samples + 2 * i, 2);
        samples[i] = static_cast<uint8_t>(sample >> 8);
    }
}

void TifUnpackSamples(const uint8_t* row, size_t rowBytes, uint32_t bits, size_t count, bool scaleToByte,
                      uint8_t* out) {
    const uint32_t maximum = (1u << bits) - 1;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t firstBit = uint64_t{i} * bits;
        const size_t firstByte = static_cast<size_t>(firstBit / 8);
        // The sample lies within 3 bytes (at most 16 bits from any bit offset).
        uint32_t window = 0;
        for (size_t b = 0; b < 3; ++b)
            window = window << 8 | (firstByte + b < rowBytes ? row[firstByte + b] : 0);
        const uint32_t value = (window >> (24 - bits - firstBit % 8)) & maximum;
        if (!scaleToByte) out[i] = static_cast<uint8_t>(value);
        else if (bits > 8) out[i] = static_cast<uint8_t>(value >> (bits - 8));
        else out[i] = static_cast<uint8_t>(value * 255 / maximum);
    }
}

namespace {

// Linear light to the sRGB curve, scaled to 0-255 (clamped before the
// conversion to an integer, so that no value can overflow it).
uint8_t ToSrgbByte(double c) {
    c = c > 0.00304 ? 1.055 * std::pow(c, 0.41667) - 0.055 : 12.92 * c;
    c *= 255;
    if (!(c > 0)) return 0;
    if (c >= 255) return 255;
    return static_cast<uint8_t>(c);
}

}  // namespace

// CIELab under the D65 white point: XYZ from L, a, b, then linear sRGB.
TifRgb TifLabToRgb(uint8_t lightness, int8_t a, int8_t b) {
    const double fy = (lightness * 100.0 / 255.0 + 16) / 116;
    const double fx = fy + a * 0.002;
    const double fz = fy - b * 0.005;
    const double x = fx * fx * fx * 0.95047;
    const double y = fy * fy * fy;
    const double z = fz * fz * fz * 1.0883;
    const double red = 3.240479 * x - 1.53715 * y - 0.498535 * z;
    const double green = -0.969256 * x + 1.875992 * y + 0.041556 * z;
    const double blue = 0.055648 * x - 0.204043 * y + 1.057311 * z;
    return TifRgb{ToSrgbByte(red), ToSrgbByte(green), ToSrgbByte(blue)};
}

void TifStraightenRow(uint8_t* bgr, const uint8_t* alpha, size_t count) {
    for (size_t x = 0; x < count; ++x, bgr += 3) {
        const uint32_t a = alpha[x];
        if (a == 0 || a == 255) continue;
        for (int i = 0; i < 3; ++i) {
            const uint32_t v = (uint32_t{bgr[i]} * 255 + a / 2) / a;
            bgr[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
        }
    }
}
