#include "ximage/codecs/ximage_bmp.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/dib/ximage_bytes.h"
#include "ximage/dib/ximage_dib_layout.h"
#include "ximage/dib/ximage_rle.h"

using cximage::LoadU16;
using cximage::LoadU32;

namespace {

using cximage::DibLayout;
using cximage::kDibBitfields;
using cximage::kDibRgb;
using cximage::kDibRle8;

constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
// The longest header and the alpha bitfield masks behind a 40-byte one.
constexpr size_t kLayoutHead = 124 + 16;

// Moves to an absolute position as a file seek does, past the end if need
// be: a short file then reads as zeros.
bool SeekAbsolute(CxStream* stream, int64_t position) { return stream->Seek64(position, SEEK_SET); }

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

    // The layout's head (header and masks) is read once into memory and
    // parsed as a clipboard block would be; positions below count from it.
    const int64_t layoutStart = reader.Position();
    uint8_t layoutHead[kLayoutHead];
    const size_t headBytes = reader.ReadOrZero(layoutHead, sizeof layoutHead);
    const CxByteView headView(layoutHead, headBytes);
    DibLayout d;
    if (!cximage::ParseDibHeader(headView, cximage::DibSource::File, d)) return Fail("Error reading BMP info");
    CxBitmapInfoHeader& h = d.h;
    const uint32_t bpp = h.biBitCount;
    if (h.biPlanes != 1) return Fail("Error reading BMP info");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail("Error reading BMP info");
    if (h.biClrUsed == 0 && bpp <= 8) h.biClrUsed = 1u << bpp;

    if (info.escape == -1) {
        head.biWidth = h.biWidth;
        head.biHeight = static_cast<int32_t>(static_cast<uint32_t>(d.height));
        SetLastErrorText("output dimensions returned");
        return true;
    }

    // Sizes the image cannot be created with fail as the allocation would:
    // none, negative (a huge unsigned width) or above CXIMAGE_MAX_MEMORY.
    const uint32_t depth = bpp <= 8 ? bpp : 24;
    uint64_t pixels = 0, rowBytes = 0;
    if (h.biWidth <= 0 || d.height == 0 ||
        !cximage::ProductWithin({static_cast<uint64_t>(h.biWidth), static_cast<uint64_t>(d.height)},
                                CXIMAGE_MAX_MEMORY, pixels) ||
        !cximage::ProductWithin({cximage::DibRowBytes(static_cast<uint32_t>(h.biWidth), depth),
                                 static_cast<uint64_t>(d.height)},
                                CXIMAGE_MAX_MEMORY, rowBytes))
        return Fail("Can't allocate memory");
    const auto width = static_cast<uint32_t>(h.biWidth);
    const auto height = static_cast<uint32_t>(d.height);

    // The compression must fit the depth before anything is allocated.
    const uint32_t compression = h.biCompression;
    if (d.os2v2 && compression >= kDibBitfields) return Fail("compression type not supported");  // Huffman, RLE24
    if (const char* refusal = cximage::DibCompressionRefusal(bpp, compression, cximage::DibSource::File))
        return Fail(refusal);

    if (!Create(width, height, bpp, CXIMAGE_FORMAT_BMP)) return Fail("Can't allocate memory");
    head.biXPelsPerMeter = h.biXPelsPerMeter;
    head.biYPelsPerMeter = h.biYPelsPerMeter;
    info.xDpi = cximage::PpmToDpi(h.biXPelsPerMeter);
    info.yDpi = cximage::PpmToDpi(h.biYPelsPerMeter);
    if (info.escape) return Fail("Cancelled");

    if (cximage::ParseDibMasks(headView, cximage::DibSource::File, d) != cximage::DibMasks::Read)
        return Fail("Error reading BMP info");

    // Colour table: stored up to the image's own entry count, the rest read past.
    const uint64_t tableBytes = d.paletteEntries * d.entrySize;
    if (tableBytes > INT32_MAX) return Fail("Error reading BMP info");
    if (CxRgbQuad* palette = GetPalette()) {
        const uint32_t stored = h.biClrUsed < head.biClrUsed ? h.biClrUsed : head.biClrUsed;
        uint8_t table[256 * 4] = {};
        if (SeekAbsolute(stream, layoutStart + static_cast<int64_t>(d.paletteOffset)))
            reader.ReadOrZero(table, stored * d.entrySize);
        for (uint32_t i = 0; i < stored; ++i) {
            const uint8_t* e = table + i * d.entrySize;
            palette[i] = CxRgbQuad{e[0], e[1], e[2], 0};
        }
    }
    if (info.escape) return Fail("Cancelled");

    if (offBits != 0) {
        if (!SeekAbsolute(stream, start + offBits)) return Fail("Error reading BMP info");
    } else {
        SeekAbsolute(stream, layoutStart + static_cast<int64_t>(d.bitsOffset));
    }

    if (bpp <= 8 || bpp == 24) {
        if (compression == kDibRgb) {
            // Short files leave the remaining rows cleared.
            reader.ReadOrZero(info.pixels, head.biSizeImage);
        } else {
            cximage::StreamRleSource source(stream);
            if (compression == kDibRle8) cximage::DecodeRle8(*this, source);
            else cximage::DecodeRle4(*this, source);
        }
        if (d.topDown) Flip();
        return true;
    }

    // 16 and 32 bits: the file's rows are read whole, then widened to 24 bits.
    const uint64_t stride = cximage::DibRowBytes(width, bpp);
    uint64_t rowsBytes = 0;
    if (!cximage::ProductWithin({stride, height}, UINT64_MAX, rowsBytes)) return Fail("can't allocate memory");
    CxBuffer rows(rowsBytes);
    if (!rows) return Fail("can't allocate memory");
    reader.ReadOrZero(rows.data(), rows.size());
    if (!UnpackBitfieldRows(rows.data(), static_cast<size_t>(stride), d.topDown, d.masks, bpp))
        return Fail("can't allocate memory");
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
