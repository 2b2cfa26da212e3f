// CxImageGIF: writing. Palette images as one image with a global colour
// table; deeper images as a mosaic of 17 x 15 tiles with local tables.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_gif.h"
#include "ximage/codecs/ximage_gif_lzw.h"
#include "ximage/codecs/ximage_gif_rows.h"
#include "ximage/cx_checked.h"
#include "ximage/cx_stream.h"

namespace {

constexpr uint32_t kTileWidth = 17;
constexpr uint32_t kTileHeight = 15;
constexpr uint32_t kLargestSide = 0xFFFF;
constexpr const char* kWriteError = "Write Error in GIF file";

void WriteU16(CxStream* stream, uint32_t value) {
    uint8_t bytes[2];
    cximage::StoreU16(bytes, static_cast<uint16_t>(value));
    stream->Write(bytes, 1, 2);
}

void WriteScreen(CxStream* stream, uint32_t width, uint32_t height, uint8_t packed) {
    stream->Write("GIF89a", 1, 6);
    WriteU16(stream, width);
    WriteU16(stream, height);
    stream->PutC(packed);
    stream->PutC(0);  // background index
    stream->PutC(0);  // aspect ratio
}

void WriteGraphicControl(CxStream* stream, int32_t transIndex, int32_t disposal, uint32_t delay) {
    const uint8_t flags = static_cast<uint8_t>((transIndex != -1 ? 1 : 0) | ((disposal & 7) << 2));
    const uint8_t block[4] = {0x21, 0xF9, 0x04, flags};
    stream->Write(block, 1, 4);
    WriteU16(stream, delay & 0xFFFF);
    stream->PutC(transIndex != -1 ? static_cast<uint8_t>(transIndex) : 0xFF);
    stream->PutC(0);
}

void WriteComment(CxStream* stream, const char* comment) {
    const size_t length = std::min<size_t>(std::strlen(comment), 255);
    if (length == 0) return;
    stream->PutC(0x21);
    stream->PutC(0xFE);
    stream->PutC(static_cast<uint8_t>(length));
    stream->Write(comment, 1, length);
    stream->PutC(0);
}

void WriteDescriptor(CxStream* stream, int32_t left, int32_t top, uint32_t width, uint32_t height,
                     uint8_t packed) {
    stream->PutC(0x2C);
    WriteU16(stream, static_cast<uint32_t>(left));
    WriteU16(stream, static_cast<uint32_t>(top));
    WriteU16(stream, width);
    WriteU16(stream, height);
    stream->PutC(packed);
}

void WritePalette(CxStream* stream, const CxRgbQuad* palette, uint32_t count) {
    uint8_t rgb[768];
    count = std::min<uint32_t>(count, 256);
    for (uint32_t i = 0; i < count; ++i) {
        rgb[3 * i] = palette ? palette[i].rgbRed : 0;
        rgb[3 * i + 1] = palette ? palette[i].rgbGreen : 0;
        rgb[3 * i + 2] = palette ? palette[i].rgbBlue : 0;
    }
    stream->Write(rgb, 1, size_t{count} * 3);
}

// The code size byte, the LZW sub-blocks of the image's indices and the
// terminator; false when the stream reports an error after the data.
bool WriteImageData(CxStream* stream, CxGifLzwEncoder& lzw, CxGifImageRows& rows, uint8_t codeSize) {
    stream->PutC(codeSize);
    const bool ok = lzw.Encode(codeSize + 1, rows, stream);
    stream->PutC(0);
    return ok;
}

uint32_t ColorKey(const CxRgbQuad& c) {
    return (uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue;
}

// The lowest palette index holding each colour, over one tile's 256 entries
// (what GetNearestIndex gives for a colour the palette holds exactly).
class LowestIndexOf {
public:
    explicit LowestIndexOf(const CxRgbQuad* palette) {
        std::fill(std::begin(used), std::end(used), false);
        for (uint32_t i = 0; i < 256; ++i) {
            const uint32_t key = ColorKey(palette[i]);
            uint32_t s = Slot(key);
            while (used[s] && keys[s] != key) s = (s + 1) & (kSlots - 1);
            if (!used[s]) {
                used[s] = true;
                keys[s] = key;
                index[s] = static_cast<uint8_t>(i);
            }
        }
    }
    uint8_t Find(uint32_t key) const {
        uint32_t s = Slot(key);
        while (used[s] && keys[s] != key) s = (s + 1) & (kSlots - 1);
        return used[s] ? index[s] : 0;
    }

private:
    static constexpr uint32_t kSlots = 512;
    static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> 23; }
    bool used[kSlots];
    uint32_t keys[kSlots];
    uint8_t index[kSlots];
};

}  // namespace

bool CxImageGIF::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    // Sides are 16-bit fields in the file.
    if (GetWidth() > kLargestSide || GetHeight() > kLargestSide) return Fail("Image too large for GIF");
    if (GetBpp() > 8) return EncodeTiled(stream);

    const uint32_t bpp = GetBpp();
    const uint32_t colors = GetNumColors();
    const uint8_t packed =
        colors == 0 ? 0x11 : static_cast<uint8_t>(0x80 | ((bpp - 1) << 5) | (bpp - 1));
    WriteScreen(stream, GetWidth(), GetHeight(), packed);
    WritePalette(stream, GetPalette(), colors);
    WriteGraphicControl(stream, info.transIndex, disposalMethod, info.frameDelay);
    WriteComment(stream, comment);
    WriteDescriptor(stream, info.xOffset, info.yOffset, GetWidth(), GetHeight(), 0x00);

    CxGifImageRows rows(*this);
    if (!rows.Ready()) return Fail("CXIMAGE_MAX_MEMORY exceeded");
    CxGifLzwEncoder lzw;
    if (!WriteImageData(stream, lzw, rows, static_cast<uint8_t>(bpp == 1 ? 2 : bpp))) return Fail(kWriteError);
    stream->PutC(0x3B);
    return true;
}

bool CxImageGIF::EncodeTiled(CxStream* stream) {
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    WriteScreen(stream, width, height, 0x11);
    WriteComment(stream, comment);

    CxImage tile;
    CxGifLzwEncoder lzw;
    const bool transparent = IsTransparent();
    const CxRgbQuad transColor = GetTransColor();
    uint32_t keys[kTileWidth * kTileHeight];
    for (uint32_t y = 0; y < height; y += kTileHeight) {
        const uint32_t th = std::min(kTileHeight, height - y);
        for (uint32_t x = 0; x < width; x += kTileWidth) {
            const uint32_t tw = std::min(kTileWidth, width - x);
            if (tile.GetWidth() != tw || tile.GetHeight() != th) {
                if (!tile.Create(tw, th, 8, 0)) return Fail(tile.GetLastError());
            }
            if (transparent) {
                tile.SetTransIndex(0);
                tile.SetPaletteQuad(0, transColor);
            }
            // Entry 1 + k + 17 j holds the colour of tile pixel (k, j), rows
            // counted from the tile's bottom.
            for (uint32_t j = 0; j < th; ++j) {
                const uint8_t* from = GetBits(height - (y + th - j)) + size_t{x} * 3;
                for (uint32_t k = 0; k < tw; ++k) {
                    CxRgbQuad c;
                    c.rgbBlue = from[3 * k];
                    c.rgbGreen = from[3 * k + 1];
                    c.rgbRed = from[3 * k + 2];
                    tile.SetPaletteQuad(static_cast<uint8_t>(1 + k + kTileWidth * j), c);
                    keys[k + kTileWidth * j] = ColorKey(c);
                }
            }
            const LowestIndexOf lowest(tile.GetPalette());
            for (uint32_t j = 0; j < th; ++j) {
                uint8_t* to = tile.GetBits(j);
                for (uint32_t k = 0; k < tw; ++k) to[k] = lowest.Find(keys[k + kTileWidth * j]);
            }

            tile.SetOffset(static_cast<int32_t>(x), static_cast<int32_t>(y));
            WriteGraphicControl(stream, tile.GetTransIndex(), 0, 0);
            WriteDescriptor(stream, tile.GetInfo().xOffset, tile.GetInfo().yOffset, tw, th, 0x87);
            WritePalette(stream, tile.GetPalette(), 256);
            CxGifImageRows rows(tile);
            if (!WriteImageData(stream, lzw, rows, 8)) return Fail(kWriteError);
        }
    }
    stream->PutC(0x3B);
    return true;
}
