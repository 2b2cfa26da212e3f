// The strips path: bilevel, grey, palette, CIELab and tiled RGB pages read strip by
// strip (or a row of tiles at a time) into a block buffer sized from the
// page's own fields, then copied row by row into the image.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/codecs/ximage_tif_layout.h"
#include "ximage/codecs/ximage_tif_samples.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"

using cximage::ProductWithin;

bool CxImageTIF::BuildPalette(TIFF* tif, const TifFields& f, const TifLayout& layout) {
    if (layout.colors == 0) return true;
    CxRgbQuad table[256] = {};
    const uint32_t count = layout.colors;
    const bool whiteIsZero = f.photometric == PHOTOMETRIC_MINISWHITE;
    if (f.photometric == PHOTOMETRIC_MINISBLACK || whiteIsZero) {
        // Unpacked samples are scaled to 0-255 already: the ramp of 256 greys.
        const uint32_t step = 255 / (count - 1);
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t grey = static_cast<uint8_t>(i * step);
            if (whiteIsZero) grey ^= 0xFF;
            table[i] = CxRgbQuad{grey, grey, grey, 0};
        }
    } else if (f.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue) {
            // libtiff holds 2^bps entries per channel; the layout allows at most 8 bits.
            const uint32_t entries = std::min<uint32_t>(1u << f.bitsPerSample, 256);
            bool sixteen = false;
            for (uint32_t i = 0; i < entries; ++i)
                if (red[i] > 255 || green[i] > 255 || blue[i] > 255) sixteen = true;
            auto scale = [sixteen](uint16_t v) {
                return static_cast<uint8_t>(sixteen ? uint32_t{v} * 255 / 65535 : v & 0xFF);
            };
            for (uint32_t i = 0; i < entries; ++i)
                table[i] = CxRgbQuad{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
        }
    }
    SetPalette(table, count);
    return true;
}

bool CxImageTIF::ReadStrips(TIFF* tif, const TifFields& f, const TifLayout& layout) {
    if (!BuildPalette(tif, f, layout)) return false;
    const uint32_t width = f.width, height = f.height;
    const uint32_t bitsPerPixel = uint32_t{f.samplesPerPixel} * f.bitsPerSample;
    uint64_t rowBits = 0;
    if (!ProductWithin({bitsPerPixel, width}, CXIMAGE_MAX_MEMORY * 8, rowBits))
        return Fail("CxImageTIF can't allocate memory");
    const uint64_t sourceRowBytes = (rowBits + 7) / 8;

    uint32_t rowsPerBlock = f.rowsPerStrip == 0 ? height : f.rowsPerStrip;
    uint32_t tileWidth = 0, tileLength = 0;
    uint64_t tileRowBytes = 0;
    CxBuffer tile;
    if (f.tiled) {
        if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength) ||
            tileWidth == 0 || tileLength == 0 || (uint64_t{tileWidth} * bitsPerPixel) % 8 != 0)
            return Fail("Corrupted tiled TIFF file!");
        tileRowBytes = uint64_t{tileWidth} * bitsPerPixel / 8;
        const uint64_t tileSize = static_cast<uint64_t>(std::max<tmsize_t>(TIFFTileSize(tif), 0));
        uint64_t tileBytes = 0;
        // The tile buffer holds every row the copy below reads, whatever
        // libtiff's own tile size says.
        if (!ProductWithin({tileRowBytes, tileLength}, CXIMAGE_MAX_MEMORY, tileBytes) ||
            !tile.Allocate(std::max(tileBytes, tileSize)))
            return Fail("CxImageTIF can't allocate memory");
        rowsPerBlock = tileLength;
    }
    rowsPerBlock = std::min(rowsPerBlock, height);
    uint64_t blockBytes = 0;
    CxBuffer block;
    if (!ProductWithin({sourceRowBytes, rowsPerBlock}, CXIMAGE_MAX_MEMORY, blockBytes) || !block.Allocate(blockBytes))
        return Fail("CxImageTIF can't allocate memory");

    for (uint32_t ys = 0; ys < height; ys += rowsPerBlock) {
        if (info.escape) return Fail("Cancelled");
        const uint32_t rows = std::min(rowsPerBlock, height - ys);
        const uint64_t wanted = uint64_t{rows} * sourceRowBytes;
        if (f.tiled) {
            for (uint64_t x = 0; x < width; x += tileWidth) {
                if (TIFFReadTile(tif, tile.data(), static_cast<uint32_t>(x), ys, 0, 0) < 0)
                    return Fail("Corrupted tiled TIFF file!");
                const uint64_t column = x * bitsPerPixel / 8;
                if (column >= sourceRowBytes) break;
                const uint64_t bytes = std::min(tileRowBytes, sourceRowBytes - column);
                for (uint32_t r = 0; r < rows; ++r)
                    std::memcpy(block.data() + r * sourceRowBytes + column, tile.data() + r * tileRowBytes, bytes);
            }
        } else {
            const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, ys, 0), block.data(),
                                                      static_cast<tmsize_t>(wanted));
            if (got < 0) return Fail("Corrupted TIFF file!");
            // A short strip leaves no rows of the previous one behind.
            if (static_cast<uint64_t>(got) < wanted) std::memset(block.data() + got, 0, wanted - got);
        }
        for (uint32_t r = 0; r < rows; ++r) StoreRow(block.data() + r * sourceRowBytes, sourceRowBytes, ys + r, f, layout);
    }
    return true;
}

// One source row (as the file holds it) into the image row of picture row
// pictureRow; the row's bytes may be rewritten (16-bit samples reduced).
bool CxImageTIF::StoreRow(uint8_t* source, uint64_t sourceBytes, uint32_t pictureRow, const TifFields& f,
                          const TifLayout& layout) {
    const uint32_t width = f.width;
    const uint32_t samples = f.samplesPerPixel;
    const uint32_t y = f.height - 1 - pictureRow;
    if (layout.unpack) {
        // Straight into the image row: one byte a pixel, padding cleared.
        uint8_t* row = GetBits(y);
        TifUnpackSamples(source, sourceBytes, f.bitsPerSample, width, f.photometric != PHOTOMETRIC_PALETTE, row);
        std::memset(row + width, 0, info.rowBytes - width);
        return true;
    }
    if (f.bitsPerSample == 16) {
        TifReduceToHighBytes(source, uint64_t{width} * samples);
        sourceBytes = uint64_t{width} * samples;
    }
    uint8_t* row = GetBits(y);
    uint8_t* alphaRow = AlphaIsValid() ? alpha + uint64_t{y} * width : nullptr;
    if (layout.rgb) {
        for (uint32_t x = 0; x < width; ++x, source += samples, row += 3) {
            row[0] = source[2];
            row[1] = source[1];
            row[2] = source[0];
            if (alphaRow) alphaRow[x] = source[3];
        }
    } else if (layout.lab) {
        for (uint32_t x = 0; x < width; ++x, source += samples, row += 3) {
            const TifRgb rgb = TifLabToRgb(source[0], static_cast<int8_t>(source[1]), static_cast<int8_t>(source[2]));
            row[0] = rgb.blue;
            row[1] = rgb.green;
            row[2] = rgb.red;
            if (alphaRow) alphaRow[x] = source[3];
        }
    } else if (samples == 2) {
        for (uint32_t x = 0; x < width; ++x) {
            row[x] = source[2 * x];
            if (alphaRow) alphaRow[x] = source[2 * x + 1];
        }
    } else {
        const uint64_t bytes = std::min<uint64_t>(sourceBytes, info.rowBytes);
        std::memcpy(row, source, bytes);
        std::memset(row + bytes, 0, info.rowBytes - bytes);
    }
    return true;
}
