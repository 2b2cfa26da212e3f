#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_ico.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/dib/ximage_bytes.h"

using cximage::StoreU16;
using cximage::StoreU32;

namespace {

constexpr uint32_t kPrefixSize = 22;  // file header and one directory entry
constexpr uint32_t kMaxSide = 256;    // a directory entry holds sizes up to 255
constexpr const char* kWriteError = "ICO write failed";

bool WriteAll(CxStream* stream, const void* bytes, size_t count) { return stream->Write(bytes, 1, count) == count; }

}  // namespace

bool CxImageICO::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    const uint32_t width = GetWidth(), height = GetHeight();
    if (width >= kMaxSide || height >= kMaxSide) return Fail("Can't save this image as icon");

    const uint32_t maskRowBytes = ((width + 31) / 32) * 4;
    const uint32_t maskBytes = height * maskRowBytes;
    const bool as32 = GetBpp() == 24 && AlphaIsValid();
    const uint32_t depth = as32 ? 32 : GetBpp();
    const uint32_t dataBytes = as32 ? width * height * 4 : head.biSizeImage;

    // The mask first: a failed allocation then writes nothing at all.
    CxBuffer mask(maskBytes);
    if (!mask) return Fail("Can't allocate memory");
    bool maskedIndex[256] = {};
    const CxRgbQuad* palette = GetPalette();
    const bool paletteAlpha = PaletteHasAlpha();
    const CxRgbQuad trans = GetTransColor();
    for (uint32_t i = 0; palette && i < GetNumColors(); ++i)
        maskedIndex[i] = (paletteAlpha && palette[i].rgbReserved == 0) || (IsTransparent() && palette[i] == trans);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = mask.data() + static_cast<size_t>(y) * maskRowBytes;
        for (uint32_t x = 0; x < width; ++x) {
            bool masked = alpha && alpha[static_cast<size_t>(y) * width + x] == 0;
            if (!masked && palette) masked = maskedIndex[GetPixelIndexUnchecked(x, y)];
            if (!masked && !palette && IsTransparent()) masked = GetPixelColor(x, y, false) == trans;
            if (masked) row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
        }
    }

    uint8_t prefix[kPrefixSize + kCxInfoHeaderSize] = {};
    StoreU16(prefix + 2, 1);  // type: icon
    StoreU16(prefix + 4, 1);  // one image
    uint8_t* entry = prefix + 6;
    entry[0] = static_cast<uint8_t>(width);
    entry[1] = static_cast<uint8_t>(height);
    entry[2] = static_cast<uint8_t>(GetNumColors());  // 256 colours wrap to 0
    StoreU16(entry + 6, static_cast<uint16_t>(depth));
    StoreU32(entry + 8, dataBytes + kCxInfoHeaderSize + GetPaletteSize() + maskBytes);
    StoreU32(entry + 12, kPrefixSize);
    CxBitmapInfoHeader h;
    h.biSize = kCxInfoHeaderSize;
    h.biWidth = static_cast<int32_t>(width);
    h.biHeight = static_cast<int32_t>(2 * height);  // colour rows and mask rows
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(depth);
    h.biSizeImage = dataBytes;
    cximage::StoreInfoHeader(prefix + kPrefixSize, h);
    if (!WriteAll(stream, prefix, sizeof(prefix))) return Fail(kWriteError);
    if (palette && !WriteAll(stream, palette, GetPaletteSize())) return Fail(kWriteError);

    if (as32) {
        uint8_t line[4 * kMaxSide];
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = info.pixels + static_cast<size_t>(y) * info.rowBytes;
            const uint8_t* a = alpha + static_cast<size_t>(y) * width;
            for (uint32_t x = 0; x < width; ++x) {
                line[4 * x] = row[3 * x];
                line[4 * x + 1] = row[3 * x + 1];
                line[4 * x + 2] = row[3 * x + 2];
                line[4 * x + 3] = a[x];
            }
            if (!WriteAll(stream, line, 4 * width)) return Fail(kWriteError);
        }
    } else if (!WriteAll(stream, info.pixels, dataBytes)) {
        return Fail(kWriteError);
    }
    return WriteAll(stream, mask.data(), maskBytes) ? true : Fail(kWriteError);
}
