#pragma once
// CxImagePCX: ZSoft PCX files.
//
// Decoding reads run-length encoded files with packed pixels in one plane
// (1, 2, 4 or 8 bits), 2 to 4 bit planes of 1 bit (up to 16 colours), and
// 24-bit pictures in three 8-bit planes (a fourth 8-bit plane becomes the
// alpha plane). Encoding writes version 5 files: 8-bit images as one packed
// plane with the 256-colour palette at the end, 24-bit images as three or
// four planes, 1-bit images as one bit plane and 4-bit images as four.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

class CxImagePCX : public CxImage {
public:
    CxImagePCX() : CxImage(CXIMAGE_FORMAT_PCX) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);
};
