// The RGBA path (libtiff converts any layout it knows into 32-bit pixels)
// and its fast twin for 8-bit RGB strips, read row by row into the image.
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/codecs/ximage_tif_layout.h"
#include "ximage/cx_buffer.h"
#include "ximage/cx_checked.h"

namespace {

bool TurnsAQuarter(uint16_t orientation) {
    return orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
}

}  // namespace

bool CxImageTIF::ReadRgbaRaster(TIFF* tif, const TifFields& fields) {
    const uint32_t width = fields.width, height = fields.height;
    uint64_t rasterBytes = 0;
    CxBuffer raster;
    if (!cximage::ProductWithin({width, height, 4}, CXIMAGE_MAX_MEMORY, rasterBytes) || !raster.Allocate(rasterBytes))
        return Fail("No space for raster buffer");
    auto* pixels = reinterpret_cast<uint32_t*>(raster.data());
    // libtiff's reader turns orientations 1 to 4 itself (origin bottom left,
    // so raster row 0 is the image's row 0). It cannot turn by a quarter:
    // those pages are asked for in their own orientation, which gives the
    // rows as stored, and turned here like the strips path does.
    const bool quarter = TurnsAQuarter(fields.orientation);
    const int ok = quarter ? TIFFReadRGBAImageOriented(tif, width, height, pixels, fields.orientation, 1)
                           : TIFFReadRGBAImage(tif, width, height, pixels, 1);
    if (!ok) return Fail("Corrupted TIFF file!");
    const bool withAlpha = AlphaIsValid();
    for (uint32_t y = 0; y < height; ++y) {
        if (info.escape) return Fail("Cancelled");
        const uint32_t rasterRow = quarter ? height - 1 - y : y;
        const uint8_t* source = raster.data() + uint64_t{rasterRow} * width * 4;
        uint8_t* row = GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            row[3 * x] = source[4 * x + 2];
            row[3 * x + 1] = source[4 * x + 1];
            row[3 * x + 2] = source[4 * x];
            if (withAlpha) alpha[uint64_t{y} * width + x] = source[4 * x + 3];
        }
    }
    if (quarter && !TurnUpright(fields.orientation)) return Fail("CxImageTIF can't allocate memory");
    return true;
}

// Contiguous 8-bit RGB(A) strips: each scanline is decoded straight into
// its image row, with no raster beside the image. Alpha is taken as stored
// (an unspecified fourth sample is no alpha and leaves the plane opaque).
bool CxImageTIF::ReadRgbRows(TIFF* tif, const TifFields& fields) {
    const uint32_t width = fields.width, height = fields.height;
    const uint32_t samples = fields.samplesPerPixel;
    const tmsize_t scanline = TIFFScanlineSize(tif);
    uint64_t rowBytes = 0;
    if (!cximage::ProductWithin({width, samples}, CXIMAGE_MAX_MEMORY, rowBytes) || scanline <= 0 ||
        static_cast<uint64_t>(scanline) < rowBytes)
        return Fail("Corrupted TIFF file!");
    CxBuffer line;
    if (!line.Allocate(static_cast<uint64_t>(scanline))) return Fail("CxImageTIF can't allocate memory");
    const bool withAlpha = AlphaIsValid() && fields.firstExtraSample != EXTRASAMPLE_UNSPECIFIED;
    for (uint32_t y = 0; y < height; ++y) {
        if (info.escape) return Fail("Cancelled");
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return Fail("Corrupted TIFF file!");
        const uint8_t* source = line.data();
        uint8_t* row = GetBits(height - 1 - y);
        uint8_t* alphaRow = withAlpha ? alpha + uint64_t{height - 1 - y} * width : nullptr;
        if (samples == 3) {
            for (uint32_t x = 0; x < width; ++x, source += 3, row += 3) {
                row[0] = source[2];
                row[1] = source[1];
                row[2] = source[0];
            }
        } else {
            for (uint32_t x = 0; x < width; ++x, source += 4, row += 3) {
                row[0] = source[2];
                row[1] = source[1];
                row[2] = source[0];
                if (alphaRow) alphaRow[x] = source[3];
            }
        }
    }
    return true;
}
