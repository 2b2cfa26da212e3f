// CxImage: 16 and 32-bit pixels with colour masks, widened to 24 bits.
//
// Each mask selects one channel; the channel's bits are moved down to bit 0
// and then placed at the top of a byte (5 bits v become v << 3, as 5-5-5 and
// 5-6-5 displays show them; more than 8 bits keep their top 8).
#include <bit>
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/dib/ximage_bytes.h"

namespace {

struct Channel {
    uint32_t mask = 0;
    int shift = 0;  // position of the lowest mask bit
    int bits = 0;   // number of mask bits

    explicit Channel(uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), bits(std::popcount(m)) {}
    uint8_t Of(uint32_t pixel) const {
        if (!mask) return 0;
        const uint32_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
    }
};

constexpr uint32_t kDefaultMasks16[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kDefaultMasks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};

}  // namespace

void CxImage::UnpackBitfields(const uint8_t* source, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                              uint32_t bpp) {
    if (!dib || !source || head.biBitCount != 24 || (bpp != 16 && bpp != 32)) return;
    const uint32_t masks[4] = {redMask, greenMask, blueMask, 0};
    UnpackBitfieldRows(source, static_cast<size_t>(cximage::DibRowBytes(GetWidth(), bpp)), false, masks, bpp);
}

// Target row y takes source row y (bottom-up) or height-1-y (top-down).
// Rows and pixels are walked from the last backwards, so that 16-bit rows
// may be widened in place (each target pixel lies at or after its source).
// masks[3] selects alpha for 32 bits: when any pixel has a non-zero alpha,
// the values go to the alpha plane.
bool CxImage::UnpackBitfieldRows(const uint8_t* source, size_t sourceStride, bool topDown, const uint32_t masks[4],
                                 uint32_t bpp) {
    const uint32_t width = GetWidth(), height = GetHeight();
    const uint32_t* defaults = bpp == 16 ? kDefaultMasks16 : kDefaultMasks32;
    const bool noMasks = (masks[0] | masks[1] | masks[2]) == 0;
    const Channel red(noMasks ? defaults[0] : masks[0]);
    const Channel green(noMasks ? defaults[1] : masks[1]);
    const Channel blue(noMasks ? defaults[2] : masks[2]);
    const bool plainBgr = bpp == 32 && red.mask == 0xFF0000 && green.mask == 0xFF00 && blue.mask == 0xFF;
    const auto sourceRow = [&](uint32_t y) { return source + size_t{topDown ? height - 1 - y : y} * sourceStride; };

    const Channel alphaChannel(bpp == 32 ? masks[3] : 0);
    bool withAlpha = false;
    for (uint32_t y = 0; alphaChannel.mask && y < height && !withAlpha; ++y) {
        const uint8_t* s = sourceRow(y);
        for (uint32_t x = 0; x < width; ++x)
            if (cximage::LoadU32(s + 4 * size_t{x}) & alphaChannel.mask) {
                withAlpha = true;
                break;
            }
    }
    // Transparency that cannot be kept is a failure, not an opaque picture.
    if (withAlpha && !AlphaCreate()) return false;

    for (uint32_t y = height; y-- > 0;) {
        const uint8_t* s = sourceRow(y);
        uint8_t* d = info.pixels + size_t{y} * info.rowBytes;
        // Padding carries no pixels; when widening in place it would keep source bytes.
        std::memset(d + 3 * size_t{width}, 0, info.rowBytes - 3 * size_t{width});
        for (uint32_t x = width; x-- > 0;) {
            uint8_t* out = d + 3 * size_t{x};
            if (bpp == 16) {
                const uint32_t p = cximage::LoadU16(s + 2 * size_t{x});
                out[0] = blue.Of(p);
                out[1] = green.Of(p);
                out[2] = red.Of(p);
                continue;
            }
            const uint8_t* in = s + 4 * size_t{x};
            if (plainBgr) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            } else {
                const uint32_t p = cximage::LoadU32(in);
                out[0] = blue.Of(p);
                out[1] = green.Of(p);
                out[2] = red.Of(p);
            }
            if (withAlpha) alpha[size_t{y} * width + x] = alphaChannel.Of(cximage::LoadU32(in));
        }
    }
    return true;
}
