#include "ximage/ximage_mirror_row.h"

#include <algorithm>
#include <cstring>

#ifdef QLRY_MIRROR_SSSE3
#include <tmmintrin.h>
#endif

namespace cximage {

#ifdef QLRY_MIRROR_SSSE3
bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

void MirrorRow24Swap(uint8_t* row, uint32_t width) {
    for (uint32_t l = 0, r = width - 1; l < r; ++l, --r) {
        std::swap(row[3 * l], row[3 * r]);
        std::swap(row[3 * l + 1], row[3 * r + 1]);
        std::swap(row[3 * l + 2], row[3 * r + 2]);
    }
}

// Pixels from x on, one at a time.
static void MirrorTail24(const uint8_t* row, uint8_t* scratch, uint32_t x, uint32_t width) {
    for (; x < width; ++x) {
        const uint8_t* from = row + 3 * size_t{width - 1 - x};
        scratch[3 * x] = from[0];
        scratch[3 * x + 1] = from[1];
        scratch[3 * x + 2] = from[2];
    }
}

void MirrorRow24Words(const uint8_t* row, uint8_t* scratch, uint32_t width) {
    constexpr uint64_t kPixel = 0xFFFFFF;
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        uint64_t low;   // pixels p0, p1 and the first 2 bytes of p2 (little-endian)
        uint32_t high;  // the last byte of p2, then p3
        const uint8_t* from = row + 3 * size_t{width - x - 4};
        std::memcpy(&low, from, 8);
        std::memcpy(&high, from + 8, 4);
        const uint64_t p0 = low & kPixel, p1 = (low >> 24) & kPixel;
        const uint64_t p2 = ((low >> 48) | (uint64_t{high} << 16)) & kPixel, p3 = high >> 8;
        const uint64_t outLow = p3 | (p2 << 24) | (p1 << 48);
        const auto outHigh = static_cast<uint32_t>((p1 >> 16) | (p0 << 8));
        std::memcpy(scratch + 3 * size_t{x}, &outLow, 8);
        std::memcpy(scratch + 3 * size_t{x} + 8, &outHigh, 4);
    }
    MirrorTail24(row, scratch, x, width);
}

#ifdef QLRY_MIRROR_SSSE3

// Each 16-byte load starts one byte before five source pixels, so that it
// never reaches past the row's last pixel; the shuffle drops that byte and
// puts the five pixels in reverse order. Stores write one spare byte into
// the scratch row's slack, overwritten by the next group.
__attribute__((target("ssse3"))) void MirrorRow24Ssse3(const uint8_t* row, uint8_t* scratch,
                                                              uint32_t width) {
    const __m128i reverse5 = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, -1);
    uint32_t x = 0;
    for (; x + 5 < width; x += 5) {  // the leftmost source pixel is never read from byte -1
        const uint8_t* from = row + 3 * size_t{width - x - 5} - 1;
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(scratch + 3 * size_t{x}), _mm_shuffle_epi8(pixels, reverse5));
    }
    MirrorTail24(row, scratch, x, width);
}
#endif

void MirrorRow24(uint8_t* row, uint8_t* scratch, uint32_t width) {
    if (!scratch) {
        MirrorRow24Swap(row, width);
        return;
    }
#ifdef QLRY_MIRROR_SSSE3
    if (HasSsse3()) MirrorRow24Ssse3(row, scratch, width);
    else MirrorRow24Words(row, scratch, width);
#else
    MirrorRow24Words(row, scratch, width);
#endif
    std::memcpy(row, scratch, 3 * size_t{width});
}

}  // namespace cximage
