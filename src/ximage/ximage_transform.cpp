// CxImage: flips, mirrors and colour inversion.
//
// Flip and Mirror work in place: they need no second image, so a 24-bit
// photo is never held twice, and they cannot fail half way. As with a
// result built in a fresh image, the alpha plane moves with the pixels and
// the selection plane is dropped (SelectionDelete: no plane, box reset).
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/ximage_mirror_row.h"
#include "ximage/toolkit/cx_allocation.h"

bool CxImage::Flip() {
    if (!dib) return false;
    const uint32_t height = GetHeight();
    for (uint32_t y = 0; y < height / 2; ++y) {
        uint8_t* low = info.pixels + size_t{y} * info.rowBytes;
        uint8_t* high = info.pixels + size_t{height - 1 - y} * info.rowBytes;
        std::swap_ranges(low, low + info.rowBytes, high);
    }
    if (alpha) AlphaFlip();
    SelectionDelete();
    return true;
}

bool CxImage::Mirror() {
    if (!dib) return false;
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    // Without scratch memory the rows are swapped in place, more slowly.
    uint8_t* scratch = nullptr;
    if (head.biBitCount == 24) scratch = static_cast<uint8_t*>(cximage::Allocate(info.rowBytes + cximage::kScratchSlack));
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = info.pixels + size_t{y} * info.rowBytes;
        switch (head.biBitCount) {
        case 24: cximage::MirrorRow24(row, scratch, width); break;
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
    SelectionDelete();
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
