// CxImage: palette access and the nearest-colour search.
#include <algorithm>
#include <cstring>

#include "ximage/ximage.h"

// Entries live in the block as 4 bytes each (blue, green, red, reserved);
// CxRgbQuad has exactly that layout, checked in ximage.h.
CxRgbQuad* CxImage::GetPalette() const {
    if (!dib || head.biClrUsed == 0) return nullptr;
    return reinterpret_cast<CxRgbQuad*>(dib + head.biSize);
}

CxRgbQuad CxImage::GetPaletteColor(uint8_t index) const {
    const CxRgbQuad* palette = GetPalette();
    if (palette && index < head.biClrUsed) return palette[index];
    return CxRgbQuad{};
}

bool CxImage::GetPaletteRGB(uint8_t index, uint8_t* red, uint8_t* green, uint8_t* blue) const {
    const CxRgbQuad* palette = GetPalette();
    if (!palette || index >= head.biClrUsed) return false;
    if (red) *red = palette[index].rgbRed;
    if (green) *green = palette[index].rgbGreen;
    if (blue) *blue = palette[index].rgbBlue;
    return true;
}

void CxImage::SetPaletteColor(uint8_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alphaValue) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || index >= head.biClrUsed) return;
    palette[index] = CxRgbQuad{blue, green, red, alphaValue};
    info.lastColorValid = false;
}

void CxImage::SetPaletteQuad(uint8_t index, CxRgbQuad entry) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || index >= head.biClrUsed) return;
    palette[index] = entry;
    info.lastColorValid = false;
}

void CxImage::SetPaletteArrays(uint32_t count, const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || !red) return;
    if (!green) green = red;
    if (!blue) blue = green;
    const uint32_t n = std::min(count, head.biClrUsed);
    for (uint32_t i = 0; i < n; ++i) {
        palette[i].rgbRed = red[i];
        palette[i].rgbGreen = green[i];
        palette[i].rgbBlue = blue[i];
    }
    info.lastColorValid = false;
}

void CxImage::SetPaletteTriples(const uint8_t* rgb, uint32_t count) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || !rgb) return;
    const uint32_t n = std::min(count, head.biClrUsed);
    for (uint32_t i = 0; i < n; ++i) {
        palette[i].rgbRed = rgb[3 * i];
        palette[i].rgbGreen = rgb[3 * i + 1];
        palette[i].rgbBlue = rgb[3 * i + 2];
    }
    info.lastColorValid = false;
}

void CxImage::SetPalette(const CxRgbQuad* entries, uint32_t count) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || !entries) return;
    const size_t bytes = std::min<size_t>(size_t{count} * 4, GetPaletteSize());
    std::memmove(palette, entries, bytes);
    info.lastColorValid = false;
}

void CxImage::SetGrayPalette() {
    CxRgbQuad* palette = GetPalette();
    if (!palette || head.biClrUsed < 2) return;
    const uint32_t n = head.biClrUsed;
    const uint32_t step = 255 / (n - 1);
    for (uint32_t i = 0; i < n; ++i) {
        const auto level = static_cast<uint8_t>((i * step) % 256);
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = level;
    }
    info.lastColorValid = false;
}

bool CxImage::IsGrayScale() const {
    const CxRgbQuad* palette = GetPalette();
    if (!palette) return false;
    for (uint32_t i = 0; i < head.biClrUsed; ++i) {
        const CxRgbQuad& e = palette[i];
        if (e.rgbBlue != i || e.rgbGreen != i || e.rgbRed != i) return false;
    }
    return true;
}

bool CxImage::PaletteHasAlpha() const {
    const CxRgbQuad* palette = GetPalette();
    if (!palette) return false;
    for (uint32_t i = 0; i < head.biClrUsed; ++i)
        if (palette[i].rgbReserved != 0) return true;
    return false;
}

void CxImage::SwapIndex(uint8_t a, uint8_t b) {
    CxRgbQuad* palette = GetPalette();
    if (!palette || a >= head.biClrUsed || b >= head.biClrUsed || a == b) return;
    std::swap(palette[a], palette[b]);
    info.lastColorValid = false;
    for (uint32_t y = 0; y < GetHeight(); ++y) {
        for (uint32_t x = 0; x < GetWidth(); ++x) {
            const uint8_t index = GetPixelIndexUnchecked(x, y);
            if (index == a) SetPixelIndex(x, y, b);
            else if (index == b) SetPixelIndex(x, y, a);
        }
    }
}

uint8_t CxImage::GetNearestIndex(CxRgbQuad color) {
    const CxRgbQuad* palette = GetPalette();
    if (!palette) return 0;
    // The cache keeps the colour as asked, reserved byte included; the
    // distance below ignores that byte.
    if (info.lastColorValid && info.lastColor == color) return info.lastColorIndex;
    info.lastColorValid = true;
    info.lastColor = color;
    const uint32_t n = std::min<uint32_t>(head.biClrImportant ? head.biClrImportant : head.biClrUsed, head.biClrUsed);
    int64_t best = 200000;
    uint8_t bestIndex = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const int64_t dr = int64_t{palette[i].rgbRed} - color.rgbRed;
        const int64_t dg = int64_t{palette[i].rgbGreen} - color.rgbGreen;
        const int64_t db = int64_t{palette[i].rgbBlue} - color.rgbBlue;
        const int64_t distance = dr * dr + dg * dg + db * db;
        if (distance == 0) {
            bestIndex = static_cast<uint8_t>(i);
            break;
        }
        if (distance < best) {
            best = distance;
            bestIndex = static_cast<uint8_t>(i);
        }
    }
    info.lastColorIndex = bestIndex;
    return bestIndex;
}
