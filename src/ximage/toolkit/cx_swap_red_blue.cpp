#include "ximage/toolkit/cx_swap_red_blue.h"

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
// Shuffle masks for 16 pixels (48 bytes, three registers) at a time: byte p
// of output register k takes, from input register j, the byte that lands
// there when red and blue change places (0x80: none from this register).
struct Masks48 {
    alignas(16) uint8_t m[3][3][16];
};
constexpr Masks48 MakeMasks48() {
    Masks48 masks{};
    for (int k = 0; k < 3; ++k)
        for (int p = 0; p < 16; ++p) {
            const int out = 16 * k + p;
            const int in = 3 * (out / 3) + 2 - out % 3;
            for (int j = 0; j < 3; ++j) masks.m[k][j][p] = static_cast<uint8_t>(in / 16 == j ? in % 16 : 0x80);
        }
    return masks;
}
constexpr Masks48 kMasks48 = MakeMasks48();

// Sixteen pixels from three loads into three stores that do not overlap:
// in place is safe and every byte is written once.
template <bool kStreaming>
__attribute__((target("ssse3"))) inline void Swap16Pixels(const uint8_t* source, uint8_t* target) {
    const auto mask = [](int k, int j) { return _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks48.m[k][j])); };
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32));
    const __m128i o0 = _mm_or_si128(_mm_shuffle_epi8(a, mask(0, 0)), _mm_shuffle_epi8(b, mask(0, 1)));
    const __m128i o1 = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, mask(1, 0)), _mm_shuffle_epi8(b, mask(1, 1))),
                                    _mm_shuffle_epi8(c, mask(1, 2)));
    const __m128i o2 = _mm_or_si128(_mm_shuffle_epi8(b, mask(2, 1)), _mm_shuffle_epi8(c, mask(2, 2)));
    auto* out = reinterpret_cast<__m128i*>(target);
    if constexpr (kStreaming) {
        _mm_stream_si128(out, o0);
        _mm_stream_si128(out + 1, o1);
        _mm_stream_si128(out + 2, o2);
    } else {
        _mm_storeu_si128(out, o0);
        _mm_storeu_si128(out + 1, o1);
        _mm_storeu_si128(out + 2, o2);
    }
}

// The last pixels (under 16) go word by word.
__attribute__((target("ssse3"))) void SwapRedBlueSsse3(const uint8_t* source, uint8_t* target, size_t pixels) {
    size_t i = 0;
    for (; i + 16 <= pixels; i += 16, source += 48, target += 48) Swap16Pixels<false>(source, target);
    SwapRedBlueWords(source, target, pixels - i);
}

// Streaming stores need a 16-byte aligned target: pixels one at a time
// until it is (at most 15, as 3 and 16 have no common factor).
__attribute__((target("ssse3"))) void SwapRedBlueStreamingSsse3(const uint8_t* source, uint8_t* target,
                                                                 size_t pixels) {
    size_t i = 0;
    for (; i < pixels && reinterpret_cast<uintptr_t>(target) % 16 != 0; ++i, source += 3, target += 3)
        SwapRedBlueWords(source, target, 1);
    for (; i + 16 <= pixels; i += 16, source += 48, target += 48) Swap16Pixels<true>(source, target);
    _mm_sfence();  // the streamed stores are seen before anything after
    SwapRedBlueWords(source, target, pixels - i);
}

bool HaveSsse3() {
    static const bool ssse3 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return ssse3;
}
#endif

}  // namespace

void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels) {
#ifdef CX_HAVE_SSSE3
    if (HaveSsse3()) return SwapRedBlueSsse3(source, target, pixels);
#endif
    SwapRedBlueWords(source, target, pixels);
}

void SwapRedBlueStreaming(const uint8_t* source, uint8_t* target, size_t pixels) {
#ifdef CX_HAVE_SSSE3
    if (HaveSsse3()) return SwapRedBlueStreamingSsse3(source, target, pixels);
#endif
    SwapRedBlueWords(source, target, pixels);
}

void CopyStreaming(const uint8_t* source, uint8_t* target, size_t bytes) {
    if (bytes == 0) return;
#ifdef CX_HAVE_SSSE3
    size_t head = (16 - reinterpret_cast<uintptr_t>(target) % 16) % 16;
    if (head > bytes) head = bytes;
    std::memcpy(target, source, head);
    size_t i = head;
    for (; i + 64 <= bytes; i += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 48));
        auto* out = reinterpret_cast<__m128i*>(target + i);
        _mm_stream_si128(out, a);
        _mm_stream_si128(out + 1, b);
        _mm_stream_si128(out + 2, c);
        _mm_stream_si128(out + 3, d);
    }
    _mm_sfence();
    std::memcpy(target + i, source + i, bytes - i);
#else
    std::memcpy(target, source, bytes);
#endif
}

}  // namespace cximage
