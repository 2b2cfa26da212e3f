#include "ximage/codecs/ximage_tif_samples.h"

#include <bit>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TIF_HAVE_X86 1
#endif

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

namespace {

// Four pixels as three 32-bit words: portable, about half the work of bytes.
void SwapRedBlueWords(const uint8_t* source, uint8_t* target, size_t pixels) {
    static_assert(std::endian::native == std::endian::little);
    size_t i = 0;
    for (; i + 4 <= pixels; i += 4, source += 12, target += 12) {
        uint32_t w0, w1, w2;
        std::memcpy(&w0, source, 4);
        std::memcpy(&w1, source + 4, 4);
        std::memcpy(&w2, source + 8, 4);
        const uint32_t o0 = ((w0 >> 16) & 0xFF) | (w0 & 0xFF00) | ((w0 & 0xFF) << 16) | (((w1 >> 8) & 0xFF) << 24);
        const uint32_t o1 = (w1 & 0xFF) | ((w0 >> 24) << 8) | ((w2 & 0xFF) << 16) | (w1 & 0xFF000000u);
        const uint32_t o2 = ((w1 >> 16) & 0xFF) | ((w2 >> 24) << 8) | (w2 & 0xFF0000) | (((w2 >> 8) & 0xFF) << 24);
        std::memcpy(target, &o0, 4);
        std::memcpy(target + 4, &o1, 4);
        std::memcpy(target + 8, &o2, 4);
    }
    for (; i < pixels; ++i, source += 3, target += 3) {
        const uint8_t first = source[0];
        target[1] = source[1];
        target[0] = source[2];
        target[2] = first;
    }
}

#ifdef TIF_HAVE_X86
// 16 bytes loaded, the first 12 (four pixels) shuffled, all 16 stored: the
// last four go back unchanged and are read again by the next step, so
// working in place is safe. Stops while 6 pixels remain, so that no load or
// store passes the row's end.
__attribute__((target("ssse3"))) void SwapRedBlueSsse3(const uint8_t* source, uint8_t* target, size_t pixels) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    size_t i = 0;
    for (; i + 6 <= pixels; i += 4, source += 12, target += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_shuffle_epi8(v, order));
    }
    SwapRedBlueWords(source, target, pixels - i);
}
#endif

}  // namespace

void TifSwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels) {
#ifdef TIF_HAVE_X86
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) return SwapRedBlueSsse3(source, target, pixels);
#endif
    SwapRedBlueWords(source, target, pixels);
}
