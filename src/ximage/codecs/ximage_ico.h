#pragma once
// CxImageICO: Windows icon and cursor files.
//
// Decoding reads the image that `frame` selects (numFrames tells how many
// the file has). An entry holds either a bitmap (an info header whose height
// counts the colour rows and the 1-bit mask, the palette, the colour rows,
// then the mask) or a whole PNG file, which the PNG codec decodes. The mask
// becomes the library's transparency: a transparent colour at 24 bits, the
// lowest unused palette index up to 8 bits, else an alpha plane; 32-bit
// pixels give a 24-bit image with an alpha plane.
//
// Encoding writes a one-image icon below 256 x 256 pixels: the image's own
// depth, or 32 bits for a 24-bit image with an alpha plane, and a mask built
// from the alpha plane, the palette's alpha or the transparent index.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;
class CxStreamReader;

class CxImageICO : public CxImage {
public:
    CxImageICO() : CxImage(CXIMAGE_FORMAT_ICO) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);

private:
    // One directory entry, the sizes resolved (a width or height byte of 0 is 256).
    struct Entry {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t resourceBytes = 0;
        uint32_t offset = 0;
    };
    bool DecodePng(CxStreamReader& in, const Entry& entry, uint64_t available);
    bool DecodeBitmap(CxStreamReader& in, const Entry& entry, uint64_t available);
    bool ReadColourRows(CxStreamReader& in, uint32_t depth, uint32_t compression, const uint8_t* masks);
    bool ReadPixels32(CxStreamReader& in);
    bool ApplyMask(const uint8_t* mask, uint32_t maskRowBytes, uint32_t depth);  // false: no memory for the plane
    void MaskToTransColor();
    void MaskToUnusedIndex();
    bool dataAlpha = false;  // the 32-bit pixels carried alpha of their own
};
