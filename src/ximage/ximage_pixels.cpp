// CxImage: pixel access by index and by colour, and whole-row fills.
#include <algorithm>
#include <cstring>

#include "ximage/ximage.h"

uint8_t CxImage::GetPixelIndexUnchecked(uint32_t x, uint32_t y) const {
    const uint8_t* row = info.pixels + size_t{y} * info.rowBytes;
    switch (head.biBitCount) {
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

uint8_t CxImage::GetPixelIndex(int64_t x, int64_t y) const {
    if (!dib || head.biClrUsed == 0) return 0;
    if (!IsInside(x, y)) {
        if (info.transIndex != -1) return static_cast<uint8_t>(info.transIndex);
        return info.pixels[0];
    }
    return GetPixelIndexUnchecked(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
}

void CxImage::SetPixelIndex(int64_t x, int64_t y, uint8_t index) {
    if (!dib || head.biClrUsed == 0 || !IsInside(x, y)) return;
    uint8_t* row = info.pixels + static_cast<size_t>(y) * info.rowBytes;
    const auto ux = static_cast<uint32_t>(x);
    switch (head.biBitCount) {
    case 8: row[ux] = index; break;
    case 4: {
        uint8_t& b = row[ux >> 1];
        b = (ux & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                     : static_cast<uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
        break;
    }
    case 1: {
        const auto mask = static_cast<uint8_t>(0x80 >> (ux & 7));
        uint8_t& b = row[ux >> 3];
        b = (index & 1) ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
        break;
    }
    default: break;
    }
}

CxRgbQuad CxImage::GetPixelColor(int64_t x, int64_t y, bool withAlpha) const {
    CxRgbQuad color;
    if (!dib || !IsInside(x, y)) {
        // Without a transparent index: pixel (0, 0), or transColor when there
        // is no pixel at all. With one: its palette entry below 24 bits (all
        // zero when there is no palette, as for an empty image), else transColor.
        if (info.transIndex == -1) return dib ? GetPixelColor(0, 0, true) : info.transColor;
        if (head.biBitCount < 24) return GetPaletteColor(static_cast<uint8_t>(info.transIndex));
        return info.transColor;
    }
    if (head.biClrUsed) {
        color = GetPaletteColor(GetPixelIndexUnchecked(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
    } else {
        const uint8_t* p = info.pixels + static_cast<size_t>(y) * info.rowBytes + static_cast<size_t>(x) * 3;
        color = CxRgbQuad{p[0], p[1], p[2], info.transColor.rgbReserved};
    }
    if (withAlpha && alpha) color.rgbReserved = AlphaGet(x, y);
    return color;
}

void CxImage::SetPixelColor(int64_t x, int64_t y, CxRgbQuad color, bool setAlpha) {
    if (!dib || !IsInside(x, y)) return;
    if (head.biClrUsed) {
        SetPixelIndex(x, y, GetNearestIndex(color));
        return;
    }
    uint8_t* p = info.pixels + static_cast<size_t>(y) * info.rowBytes + static_cast<size_t>(x) * 3;
    p[0] = color.rgbBlue;
    p[1] = color.rgbGreen;
    p[2] = color.rgbRed;
    if (setAlpha) AlphaSet(x, y, color.rgbReserved);
}

CxRgbQuad CxImage::ColorRefToQuad(uint32_t colorref) {
    return CxRgbQuad{static_cast<uint8_t>(colorref >> 16), static_cast<uint8_t>(colorref >> 8),
                     static_cast<uint8_t>(colorref), 0};
}

void CxImage::SetPixelColorRef(int64_t x, int64_t y, uint32_t colorref) {
    SetPixelColor(x, y, ColorRefToQuad(colorref), false);
}

void CxImage::RGBtoBGR(uint8_t* buffer, uint32_t length) const {
    if (!buffer || !dib || head.biBitCount != 24) return;
    const uint32_t n = std::min(length, info.rowBytes);
    for (uint32_t i = 0; i + 2 < n; i += 3) std::swap(buffer[i], buffer[i + 2]);
}

void CxImage::Clear(uint8_t value) {
    if (!dib || !info.pixels) return;
    if (head.biBitCount == 1 && value) value = 255;
    else if (head.biBitCount == 4) value = static_cast<uint8_t>((value & 15) * 17);
    std::memset(info.pixels, value, head.biSizeImage);
}
