#pragma once
// CxImageWBMP: wireless bitmaps (WBMP type 0), one bit per pixel.
//
// File: type (0), fixed header byte, width, height, then the rows from the
// top down, (width + 7) / 8 bytes each, most significant bit leftmost, a set
// bit white. Width and height are multi-byte integers (seven bits a byte,
// high bit = more bytes follow); below 128 each is one byte.
//
// Decoding gives a 1-bit image with palette index 0 black and 1 white; a file
// shorter than its rows fails. Encoding takes 1-bit images only and writes
// the pixels by colour: a palette whose entry 0 is the brighter one is
// written with its bits inverted, so white stays white.
#include "ximage/ximage.h"

class CxStream;

class CxImageWBMP : public CxImage {
public:
    CxImageWBMP() : CxImage(CXIMAGE_FORMAT_WBMP) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);
};
