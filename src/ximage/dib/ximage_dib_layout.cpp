#include "ximage/dib/ximage_dib_layout.h"

#include <cstring>

#include "ximage/dib/ximage_bytes.h"

namespace cximage {

namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kLongestHeader = 124;

// The header sizes files carry that say what follows them.
bool KnownFileHeader(uint32_t size) {
    return size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// A header of an unknown version is believed only over a plain layout.
bool PlainlyLaidOut(const CxBitmapInfoHeader& h) {
    const int64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    const uint64_t expected = DibRowBytes(static_cast<uint32_t>(h.biWidth), h.biBitCount) * static_cast<uint64_t>(rows);
    return h.biPlanes == 1 && h.biCompression == kDibRgb && h.biClrUsed == 0 && h.biSizeImage == expected;
}

}  // namespace

bool ParseDibHeader(const CxByteView& bytes, DibSource source, DibLayout& d) {
    d = DibLayout{};
    if (!bytes.Has(4)) return false;
    const uint8_t* p = bytes.Data();
    d.headerSize = LoadU32(p);
    if (d.headerSize == kCoreHeader) {
        if (!bytes.Has(kCoreHeader)) return false;
        d.core = true;
        d.entrySize = 3;
        d.h.biSize = kCoreHeader;
        d.h.biWidth = LoadU16(p + 4);
        d.h.biHeight = LoadU16(p + 6);
        d.h.biPlanes = LoadU16(p + 8);
        d.h.biBitCount = LoadU16(p + 10);
    } else {
        const bool file = source == DibSource::File;
        const bool known = file ? KnownFileHeader(d.headerSize) : d.headerSize >= kCxInfoHeaderSize;
        if (!known && (!file || d.headerSize < kCxInfoHeaderSize)) return false;
        // Read as far as the header goes (fields past a 16-byte one read as 0).
        const uint32_t kept = d.headerSize < kLongestHeader ? d.headerSize : kLongestHeader;
        const uint32_t needed = known ? (file ? kept : d.headerSize) : kCxInfoHeaderSize;
        if (!bytes.Has(needed)) return false;
        uint8_t header[kLongestHeader] = {};
        std::memcpy(header, p, known ? kept : kCxInfoHeaderSize);
        d.h = LoadInfoHeader(header);
        d.os2v2 = file && (d.headerSize == 16 || d.headerSize == 64);
        if (!known && !PlainlyLaidOut(d.h)) return false;
        if (known && d.headerSize >= 52 && !d.os2v2) {
            d.masksInHeader = true;
            for (int i = 0; i < 3; ++i) d.headerMasks[i] = LoadU32(header + 40 + 4 * i);
            if (d.headerSize >= 56) d.headerMasks[3] = LoadU32(header + 52);
        }
    }
    d.width = d.h.biWidth;
    d.height = d.h.biHeight;
    if (d.height < 0) {
        d.topDown = true;
        d.height = -d.height;
    }
    return true;
}

DibMasks ParseDibMasks(const CxByteView& bytes, DibSource source, DibLayout& d) {
    const bool file = source == DibSource::File;
    const uint32_t bpp = d.h.biBitCount;
    const uint32_t compression = d.h.biCompression;
    const bool bitfields = compression == kDibBitfields || (file && compression == kDibAlphaBitfields);
    std::memset(d.masks, 0, sizeof d.masks);
    d.maskBytes = 0;
    if ((bpp == 16 || bpp == 32) && bitfields) {
        if (d.masksInHeader) {
            std::memcpy(d.masks, d.headerMasks, sizeof d.masks);
        } else if (d.headerSize == kCxInfoHeaderSize) {
            // Behind a 40-byte header; alpha bitfields add the alpha mask.
            d.maskBytes = compression == kDibAlphaBitfields ? 16 : 12;
            if (!bytes.Has(kCxInfoHeaderSize + d.maskBytes)) return DibMasks::Missing;
            for (uint64_t i = 0; i < d.maskBytes / 4; ++i) d.masks[i] = LoadU32(bytes.Data() + 40 + 4 * i);
        } else {
            return DibMasks::Nowhere;
        }
        if (!file && d.headerSize < 56 && bpp == 32 && ((d.masks[0] | d.masks[1] | d.masks[2]) & 0xFF000000u) == 0)
            d.masks[3] = 0xFF000000u;
    } else if (bpp == 16) {
        d.masks[0] = 0x7C00, d.masks[1] = 0x3E0, d.masks[2] = 0x1F;
    } else if (bpp == 32) {
        d.masks[0] = 0xFF0000, d.masks[1] = 0xFF00, d.masks[2] = 0xFF;
        d.masks[3] = file ? (d.masksInHeader ? d.headerMasks[3] : 0) : 0xFF000000u;
    }
    d.paletteOffset = uint64_t{d.headerSize} + d.maskBytes;
    d.paletteEntries = d.h.biClrUsed ? d.h.biClrUsed : (bpp <= 8 ? (uint64_t{1} << bpp) : 0);
    d.bitsOffset = d.paletteOffset + d.paletteEntries * d.entrySize;
    return DibMasks::Read;
}

const char* DibCompressionRefusal(uint32_t bpp, uint32_t compression, DibSource source) {
    const bool file = source == DibSource::File;
    const bool bitfields = compression == kDibBitfields || (file && compression == kDibAlphaBitfields);
    switch (bpp) {
    case 1: case 4: case 8:
        if (compression == kDibRgb || (compression == kDibRle8 && bpp == 8) || (compression == kDibRle4 && bpp == 4))
            return nullptr;
        return "compression type not supported";
    case 16:
        return !file || compression == kDibRgb || bitfields ? nullptr : "unknown compression";
    case 32:
        return compression == kDibRgb || bitfields ? nullptr : "unknown compression";
    case 24:
        return compression == kDibRgb ? nullptr : "unknown compression";
    default: return "unsupported bit count";
    }
}

}  // namespace cximage
