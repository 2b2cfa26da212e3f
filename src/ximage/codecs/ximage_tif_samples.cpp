#include "ximage/codecs/ximage_tif_samples.h"

#include <cmath>
#include <cstring>

void TifReduceToHighBytes(uint8_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint16_t sample;
        std::memcpy(&sample, samples + 2 * i, 2);
        samples[i] = static_cast<uint8_t>(sample >> 8);
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
