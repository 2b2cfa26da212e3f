// CxImageGIF: writing. Palette images as one image with a global colour
// table; deeper images as a mosaic of 17 x 15 tiles with local tables.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_gif.h"
#include "ximage/codecs/ximage_gif_lzw.h"
#include "ximage/codecs/ximage_gif_mosaic.h"
#include "ximage/codecs/ximage_gif_rows.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

constexpr uint32_t kTileWidth = kCxGifTileWidth;
constexpr uint32_t kTileHeight = kCxGifTileHeight;
constexpr uint32_t kLargestSide = 0xFFFF;
constexpr const char* kWriteError = "Write Error in GIF file";

// Writes to the stream and remembers the first one it refused; later writes
// are then not attempted. The encoder asks Ok() before and after the image
// data, so that a full disk fails the encode.
class CheckedWriter {
public:
    explicit CheckedWriter(CxStream* stream) : stream_(stream) {}
    CxStream* Stream() const { return stream_; }
    bool Ok() const { return ok_; }
    void Bytes(const void* bytes, size_t count) {
        if (ok_) ok_ = stream_->Write(bytes, 1, count) == count;
    }
    void Byte(uint8_t value) {
        if (ok_) ok_ = stream_->PutC(value);
    }
    void U16(uint32_t value) {
        uint8_t bytes[2];
        cximage::StoreU16(bytes, static_cast<uint16_t>(value));
        Bytes(bytes, 2);
    }

private:
    CxStream* stream_;
    bool ok_ = true;
};

void WriteScreen(CheckedWriter& out, uint32_t width, uint32_t height, uint8_t packed) {
    out.Bytes("GIF89a", 6);
    out.U16(width);
    out.U16(height);
    out.Byte(packed);
    out.Byte(0);  // background index
    out.Byte(0);  // aspect ratio
}

void WriteGraphicControl(CheckedWriter& out, int32_t transIndex, int32_t disposal, uint32_t delay) {
    const uint8_t flags = static_cast<uint8_t>((transIndex != -1 ? 1 : 0) | ((disposal & 7) << 2));
    const uint8_t block[4] = {0x21, 0xF9, 0x04, flags};
    out.Bytes(block, 4);
    out.U16(delay & 0xFFFF);
    out.Byte(transIndex != -1 ? static_cast<uint8_t>(transIndex) : 0xFF);
    out.Byte(0);
}

void WriteComment(CheckedWriter& out, const char* comment) {
    const size_t length = std::min<size_t>(std::strlen(comment), 255);
    if (length == 0) return;
    out.Byte(0x21);
    out.Byte(0xFE);
    out.Byte(static_cast<uint8_t>(length));
    out.Bytes(comment, length);
    out.Byte(0);
}

void WriteDescriptor(CheckedWriter& out, int32_t left, int32_t top, uint32_t width, uint32_t height, uint8_t packed) {
    out.Byte(0x2C);
    out.U16(static_cast<uint32_t>(left));
    out.U16(static_cast<uint32_t>(top));
    out.U16(width);
    out.U16(height);
    out.Byte(packed);
}

void WritePalette(CheckedWriter& out, const CxRgbQuad* palette, uint32_t count) {
    uint8_t rgb[768];
    count = std::min<uint32_t>(count, 256);
    for (uint32_t i = 0; i < count; ++i) {
        rgb[3 * i] = palette ? palette[i].rgbRed : 0;
        rgb[3 * i + 1] = palette ? palette[i].rgbGreen : 0;
        rgb[3 * i + 2] = palette ? palette[i].rgbBlue : 0;
    }
    out.Bytes(rgb, size_t{count} * 3);
}

// The code size byte, the LZW sub-blocks of the image's indices and the
// terminator; false when a write failed.
bool WriteImageData(CheckedWriter& out, CxGifLzwEncoder& lzw, CxGifImageRows& rows, uint8_t codeSize) {
    out.Byte(codeSize);
    if (!out.Ok()) return false;
    const bool ok = lzw.Encode(codeSize + 1, rows, out.Stream());
    out.Byte(0);
    return ok && out.Ok();
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
    CheckedWriter out(stream);
    WriteScreen(out, GetWidth(), GetHeight(), packed);
    WritePalette(out, GetPalette(), colors);
    WriteGraphicControl(out, info.transIndex, disposalMethod, info.frameDelay);
    WriteComment(out, comment);
    WriteDescriptor(out, info.xOffset, info.yOffset, GetWidth(), GetHeight(), 0x00);

    CxGifImageRows rows(*this);
    if (!rows.Ready()) return Fail("CXIMAGE_MAX_MEMORY exceeded");
    CxGifLzwEncoder lzw;
    if (!WriteImageData(out, lzw, rows, static_cast<uint8_t>(bpp == 1 ? 2 : bpp))) return Fail(kWriteError);
    out.Byte(0x3B);
    return out.Ok() ? true : Fail(kWriteError);
}

bool CxImageGIF::EncodeTiled(CxStream* stream) {
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    CheckedWriter out(stream);
    WriteScreen(out, width, height, 0x11);
    WriteComment(out, comment);

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
            WriteGraphicControl(out, tile.GetTransIndex(), 0, 0);
            WriteDescriptor(out, tile.GetInfo().xOffset, tile.GetInfo().yOffset, tw, th, 0x87);
            WritePalette(out, tile.GetPalette(), 256);
            CxGifImageRows rows(tile);
            if (!WriteImageData(out, lzw, rows, 8)) return Fail(kWriteError);
        }
    }
    out.Byte(0x3B);
    return out.Ok() ? true : Fail(kWriteError);
}
