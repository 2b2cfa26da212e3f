// CxImage: exchange with the clipboard's bitmap block (CF_DIB).
//
// A block is a bitmap info header (12-byte core, 40-byte, or a longer
// version 2 to 5 header), optional colour masks, a colour table and the
// pixel data. Every offset is computed in 64 bits and checked against the
// block's size before it is read.
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/ximage_bytes.h"
#include "ximage/ximage_rle.h"

using cximage::LoadU16;
using cximage::LoadU32;

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

struct DibLayout {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // absolute
    bool topDown = false;
    uint32_t bpp = 0;
    uint32_t compression = 0;
    int32_t xPpm = 0, yPpm = 0;
    uint32_t masks[4] = {};      // red, green, blue, alpha (16 and 32 bits)
    uint64_t paletteOffset = 0;
    uint64_t paletteEntries = 0; // entries present in the block
    uint32_t entrySize = 4;      // 3 for a core header
    uint64_t bitsOffset = 0;
    const char* error = nullptr;
};

DibLayout Fail(const char* text) {
    DibLayout layout;
    layout.error = text;
    return layout;
}

DibLayout ParseLayout(const uint8_t* block, uint64_t size) {
    DibLayout d;
    if (size < 4) return Fail("invalid DIB header");
    d.headerSize = LoadU32(block);
    uint32_t colorsUsed = 0;
    if (d.headerSize == 12 && size >= 12) {
        d.width = LoadU16(block + 4);
        d.height = LoadU16(block + 6);
        d.bpp = LoadU16(block + 10);
        d.entrySize = 3;
    } else if (d.headerSize >= 40 && d.headerSize <= size) {
        const CxBitmapInfoHeader h = cximage::LoadInfoHeader(block);
        d.width = h.biWidth;
        d.height = h.biHeight;
        d.bpp = h.biBitCount;
        d.compression = h.biCompression;
        d.xPpm = h.biXPelsPerMeter;
        d.yPpm = h.biYPelsPerMeter;
        colorsUsed = h.biClrUsed;
    } else {
        return Fail("invalid DIB header");
    }
    if (d.height < 0) {
        d.topDown = true;
        d.height = -d.height;
    }
    // The texts Create gives for these sizes: a negative width reads as a
    // huge unsigned one.
    if (d.width == 0 || d.height == 0) return Fail("CxImage::Create : width and height must be greater than zero");
    if (d.width < 0 || static_cast<uint64_t>(d.width) * static_cast<uint64_t>(d.height) > CXIMAGE_MAX_MEMORY)
        return Fail("CXIMAGE_MAX_MEMORY exceeded");

    switch (d.bpp) {
    case 1: case 4: case 8:
        if (d.compression != kRgb && !(d.compression == kRle8 && d.bpp == 8) &&
            !(d.compression == kRle4 && d.bpp == 4))
            return Fail("compression type not supported");
        break;
    case 16:  // any compression but bitfields means the 5-5-5 default
        break;
    case 32:
        if (d.compression != kRgb && d.compression != kBitfields) return Fail("unknown compression");
        break;
    case 24:
        if (d.compression != kRgb) return Fail("unknown compression");
        break;
    default: return Fail("unsupported bit count");
    }

    uint64_t maskBytes = 0;
    if (d.compression == kBitfields) {
        if (d.headerSize == 40) {
            if (size < 52) return Fail("DIB block too small");
            maskBytes = 12;
            for (int i = 0; i < 3; ++i) d.masks[i] = LoadU32(block + 40 + 4 * i);
        } else if (d.headerSize >= 52) {
            for (int i = 0; i < 3; ++i) d.masks[i] = LoadU32(block + 40 + 4 * i);
            if (d.headerSize >= 56) d.masks[3] = LoadU32(block + 52);
        } else {
            return Fail("invalid DIB header");
        }
        if (d.headerSize < 56 && d.bpp == 32 && ((d.masks[0] | d.masks[1] | d.masks[2]) & 0xFF000000u) == 0)
            d.masks[3] = 0xFF000000u;
    } else if (d.bpp == 32) {
        d.masks[0] = 0xFF0000;
        d.masks[1] = 0xFF00;
        d.masks[2] = 0xFF;
        d.masks[3] = 0xFF000000u;
    } else if (d.bpp == 16) {
        d.masks[0] = 0x7C00;
        d.masks[1] = 0x3E0;
        d.masks[2] = 0x1F;
    }

    d.paletteOffset = d.headerSize + maskBytes;
    d.paletteEntries = colorsUsed ? colorsUsed : (d.bpp <= 8 ? (1u << d.bpp) : 0);
    if (d.paletteEntries > (size - d.paletteOffset) / d.entrySize) return Fail("DIB block too small");
    d.bitsOffset = d.paletteOffset + d.paletteEntries * d.entrySize;

    const uint64_t rows = cximage::DibRowBytes(d.width, d.bpp) * d.height;
    // Some writers repeat the masks of a version 4/5 header after it.
    if (d.compression == kBitfields && d.headerSize > 40 && d.paletteEntries == 0 &&
        size - d.bitsOffset >= rows + 12 && std::memcmp(block + d.headerSize, block + 40, 12) == 0)
        d.bitsOffset += 12;
    if (d.compression == kRgb || d.compression == kBitfields || d.bpp == 16) {
        if (rows > size - d.bitsOffset) return Fail("DIB block too small");
    }
    return d;
}

}  // namespace

qlry::HGlobal CxImage::ExportDibHandle(qlry::GlobalMemory& memory) const {
    if (!dib) return nullptr;
    qlry::UniqueGlobal block(memory, memory.Alloc(qlry::kGmemMoveable | qlry::kGmemZeroInit, GetSize()));
    if (!block) return nullptr;
    {
        qlry::GlobalLockGuard lock(memory, block.get());
        if (!lock) return nullptr;
        auto* out = static_cast<uint8_t*>(lock.get());
        std::memcpy(out, dib, GetSize());
        // The header carries the image's current resolution.
        cximage::StoreInfoHeader(out, head);
    }
    return block.release();
}

bool CxImage::ImportDibHandle(qlry::HGlobal handle, qlry::GlobalMemory& memory) {
    if (!Destroy()) return false;
    if (!handle) return false;
    const size_t size = memory.Size(handle);
    if (size == 0) return false;
    qlry::GlobalLockGuard lock(memory, handle);
    if (!lock) return false;
    if (ImportDibBlock(static_cast<const uint8_t*>(lock.get()), size)) return true;
    Destroy();
    return false;
}

bool CxImage::ImportDibBlock(const uint8_t* block, size_t size) {
    const DibLayout d = ParseLayout(block, size);
    if (d.error) {
        SetLastErrorText(d.error);
        return false;
    }
    if (!Create(static_cast<uint32_t>(d.width), static_cast<uint32_t>(d.height), d.bpp, CXIMAGE_FORMAT_UNKNOWN))
        return false;
    SetXDpi(d.xPpm ? cximage::PpmToDpi(d.xPpm) : 96);
    SetYDpi(d.yPpm ? cximage::PpmToDpi(d.yPpm) : 96);

    if (CxRgbQuad* palette = GetPalette()) {
        const uint64_t n = d.paletteEntries < head.biClrUsed ? d.paletteEntries : head.biClrUsed;
        for (uint64_t i = 0; i < n; ++i) {
            const uint8_t* e = block + d.paletteOffset + i * d.entrySize;
            palette[i] = CxRgbQuad{e[0], e[1], e[2], 0};
        }
    }

    const uint8_t* bits = block + d.bitsOffset;
    const size_t stride = static_cast<size_t>(cximage::DibRowBytes(d.width, d.bpp));
    if (d.bpp == 16 || d.bpp == 32) {
        UnpackBitfieldRows(bits, stride, d.topDown, d.masks, d.bpp);
    } else if (d.compression == kRgb) {
        for (uint32_t y = 0; y < GetHeight(); ++y) {
            const size_t from = d.topDown ? GetHeight() - 1 - y : y;
            std::memcpy(GetBits(y), bits + from * stride, info.rowBytes);
        }
    } else {
        cximage::MemoryRleSource source(bits, size - d.bitsOffset);
        if (d.compression == kRle8) cximage::DecodeRle8(*this, source);
        else cximage::DecodeRle4(*this, source);
        if (d.topDown) Flip();
    }
    cximage::StoreInfoHeader(dib, head);
    return true;
}
