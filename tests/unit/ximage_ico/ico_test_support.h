#pragma once
// Icon files built in the tests, field by field.
#include <cstdint>
#include <vector>

#include "support/byte_builder.h"

namespace qlry::test::ico {

using Bytes = std::vector<uint8_t>;

using qlry::test::Get16;
using qlry::test::Get32;
using qlry::test::Put16;
using qlry::test::Put32;

// One image of an icon file: the directory entry's sizes and the bytes at
// its offset (an info header, palette, colour rows and mask; or a PNG file).
struct IconImage {
    uint8_t entryWidth = 0;
    uint8_t entryHeight = 0;
    uint16_t entryBitCount = 0;
    Bytes data;
    int64_t resourceBytes = -1;  // -1: the data's size
};

// The 40-byte info header of an icon bitmap (height doubled for the mask).
inline Bytes InfoHeader(int32_t width, int32_t height, uint16_t bpp, uint32_t compression = 0,
                        uint32_t size = 40) {
    Bytes out;
    Put32(out, size);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(2 * height));
    Put16(out, 1);
    Put16(out, bpp);
    Put32(out, compression);
    for (int i = 0; i < 5; ++i) Put32(out, 0);
    out.resize(size, 0);
    return out;
}

inline uint32_t MaskRowBytes(uint32_t width) { return ((width + 31) / 32) * 4; }
inline uint32_t RowBytes(uint32_t width, uint32_t bpp) { return ((width * bpp + 31) / 32) * 4; }

// A bitmap entry: header, palette, rows (bottom-up) and mask.
inline IconImage BitmapImage(uint32_t width, uint32_t height, uint16_t bpp, const Bytes& palette,
                             const Bytes& rows, const Bytes& mask) {
    IconImage image;
    image.entryWidth = static_cast<uint8_t>(width);
    image.entryHeight = static_cast<uint8_t>(height);
    image.entryBitCount = bpp;
    image.data = InfoHeader(static_cast<int32_t>(width), static_cast<int32_t>(height), bpp);
    image.data.insert(image.data.end(), palette.begin(), palette.end());
    image.data.insert(image.data.end(), rows.begin(), rows.end());
    image.data.insert(image.data.end(), mask.begin(), mask.end());
    return image;
}

inline Bytes IconFile(const std::vector<IconImage>& images, uint16_t type = 1, uint16_t reserved = 0) {
    Bytes out;
    Put16(out, reserved);
    Put16(out, type);
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const IconImage& image : images) {
        out.push_back(image.entryWidth);
        out.push_back(image.entryHeight);
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, image.entryBitCount);
        Put32(out, image.resourceBytes < 0 ? static_cast<uint32_t>(image.data.size())
                                           : static_cast<uint32_t>(image.resourceBytes));
        Put32(out, offset);
        offset += static_cast<uint32_t>(image.data.size());
    }
    for (const IconImage& image : images) out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

}  // namespace qlry::test::ico
