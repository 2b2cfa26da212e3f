// CxImage: exchange with the clipboard's bitmap block (CF_DIB).
//
// A block is a bitmap info header (12-byte core, 40-byte, or a longer
// version 2 to 5 header), optional colour masks, a colour table and the
// pixel data. Every offset is computed in 64 bits and checked against the
// block's size before it is read.
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/dib/ximage_bytes.h"
#include "ximage/dib/ximage_dib_layout.h"
#include "ximage/dib/ximage_rle.h"

namespace {

using cximage::DibLayout;
using cximage::kDibBitfields;
using cximage::kDibRgb;
using cximage::kDibRle8;

// The block's layout, or the text its refusal gives.
const char* ParseLayout(const uint8_t* block, uint64_t size, DibLayout& d) {
    const CxByteView bytes(block, static_cast<size_t>(size));
    if (!cximage::ParseDibHeader(bytes, cximage::DibSource::Clipboard, d)) return "invalid DIB header";
    // The texts Create gives for these sizes: a negative width reads as a
    // huge unsigned one.
    if (d.width == 0 || d.height == 0) return "CxImage::Create : width and height must be greater than zero";
    uint64_t pixels = 0;
    if (d.width < 0 ||
        !cximage::ProductWithin({static_cast<uint64_t>(d.width), static_cast<uint64_t>(d.height)}, CXIMAGE_MAX_MEMORY,
                                pixels))
        return "CXIMAGE_MAX_MEMORY exceeded";

    const uint32_t bpp = d.h.biBitCount;
    const uint32_t compression = d.h.biCompression;
    if (const char* refusal = cximage::DibCompressionRefusal(bpp, compression, cximage::DibSource::Clipboard))
        return refusal;

    switch (cximage::ParseDibMasks(bytes, cximage::DibSource::Clipboard, d)) {
    case cximage::DibMasks::Missing: return "DIB block too small";
    case cximage::DibMasks::Nowhere: return "invalid DIB header";
    case cximage::DibMasks::Read: break;
    }
    if (d.paletteEntries > (size - d.paletteOffset) / d.entrySize) return "DIB block too small";

    uint64_t rows = 0;
    cximage::ProductWithin({cximage::DibRowBytes(d.width, bpp), static_cast<uint64_t>(d.height)}, UINT64_MAX, rows);
    // Some writers repeat the masks of a version 4/5 header after it.
    if (compression == kDibBitfields && d.headerSize > 40 && d.paletteEntries == 0 &&
        size - d.bitsOffset >= rows + 12 && std::memcmp(block + d.headerSize, block + 40, 12) == 0)
        d.bitsOffset += 12;
    if (compression == kDibRgb || compression == kDibBitfields || bpp == 16) {
        if (rows > size - d.bitsOffset) return "DIB block too small";
    }
    return nullptr;
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
    DibLayout d;
    if (const char* error = ParseLayout(block, size, d)) return Fail(error);
    const uint32_t bpp = d.h.biBitCount;
    if (!Create(static_cast<uint32_t>(d.width), static_cast<uint32_t>(d.height), bpp, CXIMAGE_FORMAT_UNKNOWN))
        return false;
    SetXDpi(d.h.biXPelsPerMeter ? cximage::PpmToDpi(d.h.biXPelsPerMeter) : 96);
    SetYDpi(d.h.biYPelsPerMeter ? cximage::PpmToDpi(d.h.biYPelsPerMeter) : 96);

    if (CxRgbQuad* palette = GetPalette()) {
        const uint64_t n = d.paletteEntries < head.biClrUsed ? d.paletteEntries : head.biClrUsed;
        for (uint64_t i = 0; i < n; ++i) {
            const uint8_t* e = block + d.paletteOffset + i * d.entrySize;
            palette[i] = CxRgbQuad{e[0], e[1], e[2], 0};
        }
    }

    const uint8_t* bits = block + d.bitsOffset;
    const size_t stride = static_cast<size_t>(cximage::DibRowBytes(d.width, bpp));
    if (bpp == 16 || bpp == 32) {
        if (!UnpackBitfieldRows(bits, stride, d.topDown, d.masks, bpp)) return Fail("CxImage::Create can't allocate memory");
    } else if (d.h.biCompression == kDibRgb) {
        for (uint32_t y = 0; y < GetHeight(); ++y) {
            const size_t from = d.topDown ? GetHeight() - 1 - y : y;
            std::memcpy(GetBits(y), bits + from * stride, info.rowBytes);
        }
    } else {
        cximage::MemoryRleSource source(bits, size - d.bitsOffset);
        if (d.h.biCompression == kDibRle8) cximage::DecodeRle8(*this, source);
        else cximage::DecodeRle4(*this, source);
        if (d.topDown) Flip();
    }
    cximage::StoreInfoHeader(dib, head);
    return true;
}
