#include "ximage/codecs/ximage_gif_rows.h"

#include <algorithm>
#include <cstring>

#include "ximage/ximage.h"

CxGifRowPlacer::CxGifRowPlacer(CxImage& image, uint32_t height, bool interlaced)
    : image_(image), height_(static_cast<int32_t>(height)), interlaced_(interlaced) {}

int CxGifRowPlacer::PutRow(const uint8_t* row, int32_t length) {
    const uint32_t width = image_.GetWidth();
    const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(length), width);
    int64_t fromTop;
    if (interlaced_) {
        // Passes: rows 0, 8, 16...; 4, 12...; 2, 6...; 1, 3...; a pass with
        // no row inside the image is skipped.
        if (pass_ > 3) return -1;
        fromTop = fromTop_;
        fromTop_ += step_;
        while (fromTop_ >= height_) {
            if (pass_ > 0) step_ /= 2;
            ++pass_;
            fromTop_ = step_ / 2;
            if (pass_ > 3) break;
        }
    } else {
        if (rowsWritten_ >= height_) return -1;
        fromTop = rowsWritten_++;
    }
    if (fromTop >= static_cast<int64_t>(image_.GetHeight())) return 0;
    uint8_t* bits = image_.GetBits(static_cast<uint32_t>(image_.GetHeight() - 1 - fromTop));
    if (!bits) return 0;
    const uint32_t bpp = image_.GetBpp();
    if (bpp == 8) {
        std::memcpy(bits, row, count);
    } else if (bpp == 4) {
        for (uint32_t x = 0; x < count; ++x) {
            const uint32_t shift = 4 * (1 - (x & 1));
            bits[x >> 1] = static_cast<uint8_t>((bits[x >> 1] & ~(0x0F << shift)) | ((row[x] & 0x0F) << shift));
        }
    } else if (bpp == 1) {
        for (uint32_t x = 0; x < count; ++x) {
            const uint32_t shift = 7 - (x & 7);
            bits[x >> 3] = static_cast<uint8_t>((bits[x >> 3] & ~(1u << shift)) | ((row[x] & 1u) << shift));
        }
    }
    return 0;
}

CxGifImageRows::CxGifImageRows(const CxImage& image)
    : image_(image), nextRow_(static_cast<int64_t>(image.GetHeight()) - 1) {
    if (image.GetBpp() < 8) indices_.Allocate(image.GetWidth());
}

bool CxGifImageRows::Ready() const { return image_.GetBpp() >= 8 || indices_; }

const uint8_t* CxGifImageRows::NextRow(size_t& length) {
    if (nextRow_ < 0) return nullptr;
    const uint8_t* bits = image_.GetBits(static_cast<uint32_t>(nextRow_));
    if (!bits) return nullptr;
    --nextRow_;
    const uint32_t width = image_.GetWidth();
    const uint32_t bpp = image_.GetBpp();
    length = width;
    if (bpp == 8) return bits;
    if (!indices_) return nullptr;  // packed pixels must not be read as indices
    uint8_t* out = indices_.data();
    for (uint32_t x = 0; x < width; ++x)
        out[x] = bpp == 4 ? static_cast<uint8_t>((bits[x >> 1] >> (4 * (1 - (x & 1)))) & 0x0F)
                          : static_cast<uint8_t>((bits[x >> 3] >> (7 - (x & 7))) & 0x01);
    return out;
}
