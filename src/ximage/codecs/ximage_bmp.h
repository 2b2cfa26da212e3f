#pragma once
// CxImageBMP: Windows bitmap files.
//
// Decoding accepts the file header or a bare DIB without it; the 12-byte
// core header, the 16 and 64-byte OS/2 headers, and the 40, 52, 56, 108 and
// 124-byte Windows headers; 1, 4, 8, 16, 24 and 32 bits per pixel; RLE8,
// RLE4 and bitfield masks; top-down rows. With escape -1 it only reports the
// dimensions (in the header) and ends with "output dimensions returned".
// Encoding writes the image's own block behind a file header, uncompressed.
#include "ximage/ximage.h"

class CxStream;

class CxImageBMP : public CxImage {
public:
    CxImageBMP() : CxImage(CXIMAGE_FORMAT_BMP) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);
};
