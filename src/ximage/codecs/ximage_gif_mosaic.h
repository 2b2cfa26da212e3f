#pragma once
// The mosaic a picture deeper than 8 bits is written as: tiles of 17 x 15
// pixels, in bands of 15 rows from the top and, within a band, from the
// left; the last tile of a band or column is cut at the picture's edge.
// The decoder recognises its own mosaics by this layout.
#include <algorithm>
#include <cstdint>

#include "ximage/codecs/ximage_gif_blocks.h"

inline constexpr uint32_t kCxGifTileWidth = 17;
inline constexpr uint32_t kCxGifTileHeight = 15;

// Tiles of a mosaic of a width x height picture.
inline uint64_t CxGifMosaicTiles(uint32_t width, uint32_t height) {
    return uint64_t{(width + kCxGifTileWidth - 1) / kCxGifTileWidth} * ((height + kCxGifTileHeight - 1) / kCxGifTileHeight);
}

// Whether d is tile number index of the mosaic of a width x height picture.
inline bool CxGifIsMosaicTile(uint64_t index, const CxGifDescriptor& d, uint32_t width, uint32_t height) {
    const uint64_t columns = (uint64_t{width} + kCxGifTileWidth - 1) / kCxGifTileWidth;
    if (columns == 0) return false;
    const uint64_t left = index % columns * kCxGifTileWidth;
    const uint64_t top = index / columns * kCxGifTileHeight;
    if (left >= width || top >= height) return false;
    return d.left == left && d.top == top && d.width == std::min<uint64_t>(kCxGifTileWidth, width - left) &&
           d.height == std::min<uint64_t>(kCxGifTileHeight, height - top);
}
