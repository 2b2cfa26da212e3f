// CxImage: flips, mirrors and colour inversion.
//
// Flip and Mirror work in place by swapping: they need no second image, so a
// 24-bit photo is never held twice, and they cannot fail half way.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ximage/ximage.h"

bool CxImage::Flip() {
    if (!dib) return false;
    const uint32_t height = GetHeight();
    for (uint32_t y = 0; y < height / 2; ++y) {
        uint8_t* low = info.pixels + size_t{y} * info.rowBytes;
        uint8_t* high = info.pixels + size_t{height - 1 - y} * info.rowBytes;
        std::swap_ranges(low, low + info.rowBytes, high);
    }
    if (alpha) AlphaFlip();
    return true;
}

// 24-bit rows are reversed through a scratch row (rowBytes + 16 bytes).
// On x86 with SSSE3 five pixels move with one 16-byte shuffle; elsewhere
// four pixels at a time in 64-bit words.
constexpr size_t kScratchSlack = 16;

static void MirrorRow24Swap(uint8_t* row, uint32_t width) {
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

static void MirrorRow24Words(const uint8_t* row, uint8_t* scratch, uint32_t width) {
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

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <tmmintrin.h>
#define QLRY_MIRROR_SSSE3 1

// Each 16-byte load starts one byte before five source pixels, so that it
// never reaches past the row's last pixel; the shuffle drops that byte and
// puts the five pixels in reverse order. Stores write one spare byte into
// the scratch row's slack, overwritten by the next group.
__attribute__((target("ssse3"))) static void MirrorRow24Ssse3(const uint8_t* row, uint8_t* scratch,
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

static void MirrorRow24(uint8_t* row, uint8_t* scratch, uint32_t width) {
    if (!scratch) {
        MirrorRow24Swap(row, width);
        return;
    }
#ifdef QLRY_MIRROR_SSSE3
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) MirrorRow24Ssse3(row, scratch, width);
    else MirrorRow24Words(row, scratch, width);
#else
    MirrorRow24Words(row, scratch, width);
#endif
    std::memcpy(row, scratch, 3 * size_t{width});
}

bool CxImage::Mirror() {
    if (!dib) return false;
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    // Without scratch memory the rows are swapped in place, more slowly.
    uint8_t* scratch = head.biBitCount == 24 ? static_cast<uint8_t*>(std::malloc(info.rowBytes + kScratchSlack)) : nullptr;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = info.pixels + size_t{y} * info.rowBytes;
        switch (head.biBitCount) {
        case 24: MirrorRow24(row, scratch, width); break;
        case 8: std::reverse(row, row + width); break;
        default:
            for (uint32_t l = 0, r = width - 1; l < r; ++l, --r) {
                const uint8_t left = GetPixelIndexUnchecked(l, y);
                SetPixelIndex(l, y, GetPixelIndexUnchecked(r, y));
                SetPixelIndex(r, y, left);
            }
            break;
        }
    }
    std::free(scratch);
    if (alpha) AlphaMirror();
    return true;
}

bool CxImage::AlphaFlip() {
    if (!alpha) return false;
    const size_t width = GetWidth();
    const uint32_t height = GetHeight();
    for (uint32_t y = 0; y < height / 2; ++y)
        std::swap_ranges(alpha + y * width, alpha + (y + 1) * width, alpha + (height - 1 - y) * width);
    return true;
}

bool CxImage::AlphaMirror() {
    if (!alpha) return false;
    const size_t width = GetWidth();
    for (uint32_t y = 0; y < GetHeight(); ++y) std::reverse(alpha + y * width, alpha + (y + 1) * width);
    return true;
}

bool CxImage::Negative() {
    if (!dib) return false;
    const auto& box = info.selectionBox;
    const int64_t left = std::max<int64_t>(box.left, 0), right = std::min<int64_t>(box.right, GetWidth());
    const int64_t bottom = std::max<int64_t>(box.bottom, 0), top = std::min<int64_t>(box.top, GetHeight());
    if (head.biBitCount == 24) {
        if (selection) {
            for (int64_t y = bottom; y < top; ++y) {
                for (int64_t x = left; x < right; ++x) {
                    if (!SelectionIsInside(x, y)) continue;
                    CxRgbQuad c = GetPixelColor(x, y, false);
                    c.rgbBlue = static_cast<uint8_t>(255 - c.rgbBlue);
                    c.rgbGreen = static_cast<uint8_t>(255 - c.rgbGreen);
                    c.rgbRed = static_cast<uint8_t>(255 - c.rgbRed);
                    SetPixelColor(x, y, c, false);
                }
            }
        } else {
            for (uint32_t i = 0; i < head.biSizeImage; ++i) info.pixels[i] = static_cast<uint8_t>(~info.pixels[i]);
        }
        info.transColor.rgbBlue = static_cast<uint8_t>(255 - info.transColor.rgbBlue);
        info.transColor.rgbGreen = static_cast<uint8_t>(255 - info.transColor.rgbGreen);
        info.transColor.rgbRed = static_cast<uint8_t>(255 - info.transColor.rgbRed);
        return true;
    }
    if (!IsGrayScale()) {
        CxRgbQuad* palette = GetPalette();
        for (uint32_t i = 0; i < head.biClrUsed; ++i) {
            palette[i].rgbBlue = static_cast<uint8_t>(255 - palette[i].rgbBlue);
            palette[i].rgbGreen = static_cast<uint8_t>(255 - palette[i].rgbGreen);
            palette[i].rgbRed = static_cast<uint8_t>(255 - palette[i].rgbRed);
        }
        info.lastColorValid = false;
        return true;
    }
    const int64_t y0 = selection ? bottom : 0, y1 = selection ? top : GetHeight();
    const int64_t x0 = selection ? left : 0, x1 = selection ? right : GetWidth();
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x)
            if (SelectionIsInside(x, y)) SetPixelIndex(x, y, static_cast<uint8_t>(~GetPixelIndex(x, y)));
    return true;
}
