#pragma once
// The GIF codec's rows between a CxImage and the LZW coder.
//
// CxGifRowPlacer puts decoded rows of indices into an image, top row first
// or in the four passes of an interlaced image, packing them for 1 and 4
// bits per pixel. CxGifImageRows hands an image's indices to the encoder,
// row by row from the top, unpacked to one index per byte.
#include <cstddef>
#include <cstdint>

#include "ximage/codecs/ximage_gif_lzw.h"
#include "ximage/toolkit/cx_buffer.h"

class CxImage;

class CxGifRowPlacer final : public CxGifRowSink {
public:
    // height: the rows the image's data describes (its descriptor's height).
    CxGifRowPlacer(CxImage& image, uint32_t height, bool interlaced);
    // -1 once every row is placed (data past the last row is dropped).
    int PutRow(const uint8_t* row, int32_t length) override;

private:
    CxImage& image_;
    int32_t height_;
    bool interlaced_;
    int32_t fromTop_ = 0;  // interlaced: the next row, counted from the top
    int32_t step_ = 8;
    int32_t pass_ = 0;
    int32_t rowsWritten_ = 0;  // not interlaced
};

class CxGifImageRows final : public CxGifPixelSource {
public:
    explicit CxGifImageRows(const CxImage& image);
    // False when the row that 1 and 4-bit pixels are unpacked into could
    // not be had.
    bool Ready() const;
    const uint8_t* NextRow(size_t& length) override;

private:
    const CxImage& image_;
    CxBuffer indices_;  // 1 and 4 bits per pixel only
    int64_t nextRow_;   // bottom-up row index, counting down from the top row
};
