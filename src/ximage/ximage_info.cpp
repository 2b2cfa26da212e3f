// CxImage: queries and setters of the info record.
#include <cmath>
#include <cstring>

#include "ximage/ximage.h"

uint8_t CxImage::GetColorType() const {
    if (alpha) return 4;
    return head.biBitCount <= 8 ? 1 : 2;
}

uint8_t* CxImage::GetBits(uint32_t row) const {
    if (!dib || !info.pixels) return nullptr;
    if (row == 0) return info.pixels;
    if (row >= GetHeight()) return nullptr;
    return info.pixels + size_t{row} * info.rowBytes;
}

bool CxImage::IsInside(int64_t x, int64_t y) const {
    return x >= 0 && y >= 0 && x < head.biWidth && y < head.biHeight;
}

uint32_t CxImage::GetCodecOption(uint32_t format) const {
    if (format > CXIMAGE_MAX_FORMAT) return 0;
    if (format == 0) format = info.format;
    return format <= CXIMAGE_MAX_FORMAT ? info.codecOptions[format] : 0;
}

bool CxImage::SetCodecOption(uint32_t value, uint32_t format) {
    if (format > CXIMAGE_MAX_FORMAT) return false;
    if (format == 0) format = info.format;
    if (format > CXIMAGE_MAX_FORMAT) return false;
    info.codecOptions[format] = value;
    return true;
}

static int32_t DpiToPpm(int32_t dpi) { return static_cast<int32_t>(std::floor(dpi * 39.37007874015748 + 0.5)); }

void CxImage::SetXDpi(int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    // Keeps the pixels-per-metre value inside 32 bits.
    if (dpi > 50000000) dpi = 50000000;
    info.xDpi = dpi;
    head.biXPelsPerMeter = DpiToPpm(dpi);
}

void CxImage::SetYDpi(int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    if (dpi > 50000000) dpi = 50000000;
    info.yDpi = dpi;
    head.biYPelsPerMeter = DpiToPpm(dpi);
}

void CxImage::SetLastErrorText(const char* text) {
    if (!text) text = "";
    const size_t n = strnlen(text, sizeof(info.lastError) - 1);
    std::memmove(info.lastError, text, n);
    info.lastError[n] = '\0';
}

CxRgbQuad CxImage::GetTransColor() const {
    if (head.biBitCount < 24 && info.transIndex != -1) return GetPaletteColor(static_cast<uint8_t>(info.transIndex));
    return info.transColor;
}

void CxImage::SetTransColor(CxRgbQuad color) {
    color.rgbReserved = 0;
    info.transColor = color;
}

int CompareColors(const CxRgbQuad& a, const CxRgbQuad& b) {
    const int la = (a.rgbGreen * 601 + a.rgbRed * 306 + a.rgbBlue * 117) >> 10;
    const int lb = (b.rgbGreen * 601 + b.rgbRed * 306 + b.rgbBlue * 117) >> 10;
    return la - lb;
}
