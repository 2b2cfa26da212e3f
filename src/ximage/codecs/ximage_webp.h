#pragma once
// CxImageWEBP: WebP files (RIFF "WEBP"), read and written through libwebp.
//
// Decoding reads lossy, lossless and alpha files into 24-bit images; an
// alpha channel goes into the alpha plane. An animation counts its frames
// in numFrames, and `frame` picks the one to decode, composed on the
// animation's canvas as a browser shows it (blending and disposal applied,
// the canvas transparent where no frame painted). A still file has one
// frame. The size is checked from the header before anything is allocated:
// 4 bytes a pixel (the largest buffer a decode makes) must stay within
// CXIMAGE_MAX_MEMORY, and so must the file itself. escape is
// looked at between pieces of the picture data and between frames;
// escape -1 fills in the dimensions only ("output dimensions returned").
// EXIF, ICC and XMP chunks are ignored.
//
// Encoding writes 24-bit images lossy at the image's quality (90 by
// default) and lossless at quality 100; 1, 4 and 8-bit images lossless, so
// that screenshots and palette art stay exact. The alpha plane (or a
// palette's transparent index and alpha entries) is kept; lossless files
// keep the colour under fully transparent pixels too.
#include <cstddef>
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

class CxImageWEBP : public CxImage {
public:
    CxImageWEBP() : CxImage(CXIMAGE_FORMAT_WEBP) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);

private:
    bool DecodeStill(const uint8_t* data, size_t size, uint32_t width, uint32_t height, bool hasAlpha);
    bool DecodeAnimation(const uint8_t* data, size_t size);
    // Top-down blue, green, red, alpha rows into a new 24-bit image with an
    // alpha plane (made only when withAlpha).
    bool TakeBgraRows(const uint8_t* bgra, size_t stride, uint32_t width, uint32_t height, bool withAlpha);
    // The dimensions-only answer of escape -1.
    bool ReportDimensions(uint32_t width, uint32_t height);
    bool FrameOutOfRange();
    // Frees what a failed decode made (lastError stays); returns false.
    bool Discard();
    // The largest buffer a decode makes, checked before any is made.
    bool WithinMemoryCap(uint32_t width, uint32_t height);
    // Zeroes the bytes behind each row's last pixel.
    void ClearRowPadding();
};
