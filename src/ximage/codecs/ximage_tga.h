#pragma once
// CxImageTGA: Truevision TGA files.
//
// Decoding reads colour-mapped (8-bit indices), true-colour (15, 16, 24 and
// 32 bits) and greyscale (8 bits, or 16 bits of grey and alpha) images,
// uncompressed or run-length encoded, with either row order and either
// column order. 32-bit pixels and 16-bit grey pixels fill the alpha plane.
// Encoding writes 8-bit images colour-mapped and 24-bit images true-colour,
// uncompressed, bottom row first; an alpha plane makes the pixels 32 bits.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

class CxImageTGA : public CxImage {
public:
    CxImageTGA() : CxImage(CXIMAGE_FORMAT_TGA) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);
};
