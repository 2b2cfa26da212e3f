#pragma once
// The one reader of the bitmap layout shared by BMP files and clipboard
// blocks: the info header (widened to the 40-byte form), the colour masks and
// where the colour table and the pixel data lie. A BMP file is its 14-byte
// file header and then this layout; a CF_DIB block is this layout alone.
//
// What each side accepts differs only by the source argument:
//  - DibSource::File also reads the OS/2 headers (16 and 64 bytes, whose
//    compression codes 3 and up mean Huffman and RLE24), alpha bitfields
//    (compression 6), and a longer header of a version it does not know when
//    its pixels are plainly laid out. The fourth byte of plain 32-bit pixels
//    is unused in files (often garbage): alpha comes only from a mask that
//    names it.
//  - DibSource::Clipboard takes any header of 40 bytes or more that the
//    block holds; plain 32-bit pixels carry alpha there (screenshot tools and
//    browsers put it in that byte).
#include <cstdint>

#include "ximage/toolkit/cx_byte_view.h"
#include "ximage/ximage.h"

namespace cximage {

enum class DibSource { File, Clipboard };

inline constexpr uint32_t kDibRgb = 0, kDibRle8 = 1, kDibRle4 = 2, kDibBitfields = 3, kDibAlphaBitfields = 6;

struct DibLayout {
    CxBitmapInfoHeader h;       // widened: a core header's width and height zero-extended
    uint32_t headerSize = 0;
    bool core = false;          // 12-byte header: 3-byte colour entries
    bool os2v2 = false;         // 16 or 64-byte header
    int64_t width = 0;
    int64_t height = 0;         // absolute
    bool topDown = false;
    uint32_t headerMasks[4] = {};  // red, green, blue, alpha held by the header
    bool masksInHeader = false;
    uint32_t masks[4] = {};     // red, green, blue, alpha for 16 and 32 bits
    uint64_t maskBytes = 0;     // masks stored after the header
    uint64_t paletteOffset = 0; // from the header's start
    uint64_t paletteEntries = 0;
    uint32_t entrySize = 4;
    uint64_t bitsOffset = 0;    // from the header's start, the pixels following the colour table
};

// The info header at the start of bytes. False when its size is not one the
// source reads, or bytes end inside it.
bool ParseDibHeader(const CxByteView& bytes, DibSource source, DibLayout& d);

enum class DibMasks { Read, Missing, Nowhere };

// The colour masks of a parsed header (16 and 32 bits) and where the colour
// table and the pixels lie. Missing: the masks after a 40-byte header are not
// in bytes; Nowhere: the header has no place for bitfield masks.
DibMasks ParseDibMasks(const CxByteView& bytes, DibSource source, DibLayout& d);

// Null when the source takes this compression at this depth, else the text
// of the refusal. Files also take alpha bitfields at 16 and 32 bits; a
// clipboard block's 16-bit pixels take any compression as the 5-5-5 default.
const char* DibCompressionRefusal(uint32_t bpp, uint32_t compression, DibSource source);

}  // namespace cximage
