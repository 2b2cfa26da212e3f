#include "ximage/codecs/ximage_bmp.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ximage/cx_buffer.h"
#include "ximage/cx_stream.h"
#include "ximage/cx_stream_reader.h"
#include "ximage/ximage_bytes.h"
#include "ximage/ximage_rle.h"

using cximage::LoadU16;
using cximage::LoadU32;

namespace {

constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

// What the info header says, widened to the 40-byte form.
struct BmpInfo {
    CxBitmapInfoHeader h;
    bool core = false;        // 12-byte header: 3-byte palette entries
    bool os2v2 = false;       // 16 or 64-byte header: OS/2 compression codes
    uint32_t masks[4] = {};   // from a header of 52 bytes or more
    bool masksInHeader = false;
};

// Reads the header whose size is the first u32; false when it is not one we know.
bool ReadInfoHeader(CxStreamReader& reader, BmpInfo& info) {
    uint8_t bytes[124] = {};
    if (!reader.Read(bytes, 4)) return false;
    const uint32_t size = LoadU32(bytes);
    if (size == 12) {
        if (!reader.Read(bytes + 4, 8)) return false;
        info.core = true;
        info.h.biSize = 12;
        info.h.biWidth = LoadU16(bytes + 4);
        info.h.biHeight = LoadU16(bytes + 6);
        info.h.biPlanes = LoadU16(bytes + 8);
        info.h.biBitCount = LoadU16(bytes + 10);
        return true;
    }
    const bool known = size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
                       size == 124;
    if (size < 40 && size != 16) return false;
    const uint32_t kept = size < 124 ? size : 124;
    if (!reader.Read(bytes + 4, (known ? kept : 40) - 4)) return false;
    info.h = cximage::LoadInfoHeader(bytes);  // fields past a 16-byte header read as 0
    info.os2v2 = size == 16 || size == 64;
    if (!known) {
        // Any other size above 40: only a plain uncompressed layout is believed.
        const uint64_t expected = cximage::DibRowBytes(static_cast<uint32_t>(info.h.biWidth), info.h.biBitCount) *
                                  static_cast<uint64_t>(info.h.biHeight < 0 ? -int64_t{info.h.biHeight}
                                                                            : int64_t{info.h.biHeight});
        if (info.h.biPlanes != 1 || info.h.biCompression != kRgb || info.h.biClrUsed != 0 ||
            info.h.biSizeImage != expected)
            return false;
        return SeekForward(reader, size - 40);
    }
    if (size >= 52 && !info.os2v2) {
        info.masksInHeader = true;
        for (int i = 0; i < 3; ++i) info.masks[i] = LoadU32(bytes + 40 + 4 * i);
        if (size >= 56) info.masks[3] = LoadU32(bytes + 52);
    }
    return true;
}

}  // namespace

bool CxImageBMP::Decode(CxStream* stream) {
    if (!stream) return false;
    CxStreamReader reader(stream);
    const int64_t start = reader.Position();

    uint8_t fileHeader[kFileHeaderSize];
    if (!reader.Read(fileHeader, kFileHeaderSize)) return Fail("Not a BMP");
    uint32_t offBits = LoadU32(fileHeader + 10);
    if (LoadU16(fileHeader) != kBmpMagic) {
        // A bare DIB: the info header comes first, the pixels after the palette.
        reader.SeekTo(start);
        offBits = 0;
    }

    BmpInfo bmp;
    if (!ReadInfoHeader(reader, bmp)) return Fail("Error reading BMP info");
    CxBitmapInfoHeader& h = bmp.h;
    const uint32_t bpp = h.biBitCount;
    if (h.biPlanes != 1) return Fail("Error reading BMP info");
    const bool topDown = h.biHeight < 0;
    const int64_t absHeight = topDown ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail("Error reading BMP info");
    if (h.biClrUsed == 0 && bpp <= 8) h.biClrUsed = 1u << bpp;

    if (info.escape == -1) {
        head.biWidth = h.biWidth;
        head.biHeight = static_cast<int32_t>(static_cast<uint32_t>(absHeight));
        SetLastErrorText("output dimensions returned");
        return true;
    }

    // Sizes the image cannot be created with fail as the allocation would:
    // none, negative (a huge unsigned width) or above CXIMAGE_MAX_MEMORY.
    const uint32_t depth = bpp <= 8 ? bpp : 24;
    if (h.biWidth <= 0 || absHeight == 0 ||
        uint64_t{static_cast<uint32_t>(h.biWidth)} * static_cast<uint64_t>(absHeight) > CXIMAGE_MAX_MEMORY ||
        cximage::DibRowBytes(static_cast<uint32_t>(h.biWidth), depth) * static_cast<uint64_t>(absHeight) >
            CXIMAGE_MAX_MEMORY)
        return Fail("Can't allocate memory");
    const auto width = static_cast<uint32_t>(h.biWidth);
    const auto height = static_cast<uint32_t>(absHeight);

    // The compression must fit the depth before anything is allocated.
    uint32_t compression = h.biCompression;
    if (bmp.os2v2 && compression >= kBitfields) return Fail("compression type not supported");  // Huffman, RLE24
    if (bpp <= 8) {
        if (compression != kRgb && !(compression == kRle8 && bpp == 8) && !(compression == kRle4 && bpp == 4))
            return Fail("compression type not supported");
    } else if (bpp == 24 ? compression != kRgb
                         : (compression != kRgb && compression != kBitfields && compression != kAlphaBitfields)) {
        return Fail("unknown compression");
    }

    if (!Create(width, height, bpp, CXIMAGE_FORMAT_BMP)) return Fail("Can't allocate memory");
    head.biXPelsPerMeter = h.biXPelsPerMeter;
    head.biYPelsPerMeter = h.biYPelsPerMeter;
    info.xDpi = cximage::PpmToDpi(h.biXPelsPerMeter);
    info.yDpi = cximage::PpmToDpi(h.biYPelsPerMeter);
    if (info.escape) return Fail("Cancelled");

    // Masks of a 40-byte header follow it, before the colour table. Alpha
    // comes only from a mask that names it: in files the fourth byte of
    // plain 32-bit pixels is unused and often garbage.
    uint32_t masks[4] = {};
    if (bpp == 16 || bpp == 32) {
        if (compression == kBitfields || compression == kAlphaBitfields) {
            if (bmp.masksInHeader) {
                std::memcpy(masks, bmp.masks, sizeof(masks));
            } else {
                uint8_t raw[16] = {};
                const size_t count = compression == kAlphaBitfields ? 16 : 12;
                if (!reader.Read(raw, count)) return Fail("Error reading BMP info");
                for (int i = 0; i < 4; ++i) masks[i] = LoadU32(raw + 4 * i);
            }
        } else if (bpp == 16) {
            masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
        } else {
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
            masks[3] = bmp.masksInHeader ? bmp.masks[3] : 0;
        }
    }

    // Colour table: stored up to the image's own entry count, the rest read past.
    const uint64_t entrySize = bmp.core ? 3 : 4;
    const uint64_t tableBytes = uint64_t{h.biClrUsed} * entrySize;
    if (tableBytes > INT32_MAX) return Fail("Error reading BMP info");
    if (CxRgbQuad* palette = GetPalette()) {
        const uint32_t stored = h.biClrUsed < head.biClrUsed ? h.biClrUsed : head.biClrUsed;
        uint8_t table[256 * 4] = {};
        reader.ReadOrZero(table, stored * entrySize);
        for (uint32_t i = 0; i < stored; ++i) {
            const uint8_t* e = table + i * entrySize;
            palette[i] = CxRgbQuad{e[0], e[1], e[2], 0};
        }
        SeekForward(reader, tableBytes - stored * entrySize);
    } else if (offBits == 0) {
        SeekForward(reader, tableBytes);
    }
    if (info.escape) return Fail("Cancelled");

    if (offBits != 0 && !stream->Seek64(start + offBits, SEEK_SET)) return Fail("Error reading BMP info");

    if (bpp <= 8 || bpp == 24) {
        if (compression == kRgb) {
            // Short files leave the remaining rows cleared.
            reader.ReadOrZero(info.pixels, head.biSizeImage);
        } else {
            cximage::StreamRleSource source(stream);
            if (compression == kRle8) cximage::DecodeRle8(*this, source);
            else cximage::DecodeRle4(*this, source);
        }
        if (topDown) Flip();
        return true;
    }

    // 16 and 32 bits: the file's rows are read whole, then widened to 24 bits.
    const uint64_t stride = cximage::DibRowBytes(width, bpp);
    CxBuffer rows(stride * height);
    if (!rows) return Fail("can't allocate memory");
    reader.ReadOrZero(rows.data(), rows.size());
    UnpackBitfieldRows(rows.data(), static_cast<size_t>(stride), topDown, masks, bpp);
    return true;
}

bool CxImageBMP::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    uint8_t fileHeader[kFileHeaderSize] = {};
    cximage::StoreU16(fileHeader, kBmpMagic);
    cximage::StoreU32(fileHeader + 2, GetSize() + kFileHeaderSize);
    cximage::StoreU32(fileHeader + 10, kFileHeaderSize + head.biSize + GetPaletteSize());
    // The block's header then carries the current resolution.
    cximage::StoreInfoHeader(dib, head);
    if (stream->Write(fileHeader, 1, kFileHeaderSize) != kFileHeaderSize ||
        stream->Write(dib, 1, GetSize()) != GetSize())
        return Fail("BMP write failed");
    return true;
}
