#include "ximage/cx_swap_red_blue.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CX_HAVE_SSSE3 1
#endif

namespace cximage {

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

#ifdef CX_HAVE_SSSE3
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

void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels) {
#ifdef CX_HAVE_SSSE3
    static const bool ssse3 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    if (ssse3) return SwapRedBlueSsse3(source, target, pixels);
#endif
    SwapRedBlueWords(source, target, pixels);
}

}  // namespace cximage
