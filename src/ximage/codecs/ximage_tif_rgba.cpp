// The RGBA path (libtiff converts any layout it knows into 32-bit pixels)
// and its fast twin for 8-bit RGB strips, read row by row into the image.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/codecs/ximage_tif_layout.h"
#include "ximage/codecs/ximage_tif_samples.h"
#include "ximage/toolkit/cx_swap_red_blue.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"

namespace {

// Rows of raster asked from libtiff at a time: whole strips (or rows of
// tiles), about 4 MB of raster, so that the raster never doubles the
// picture. A page of one strip is read at once: libtiff decodes a strip
// from its start for every request.
uint32_t RowsPerBand(const TifFields& f, uint32_t tileLength) {
    // A page whose raster would pass the memory cap (one strip of 64 to 85
    // megapixels, which fits as a 24-bit picture) is read in bands of the
    // most rows the cap allows, at the cost of decoding its strip again.
    const uint64_t rowBytes = uint64_t{f.width} * 4;
    const uint64_t mostRows = std::max<uint64_t>(1, CXIMAGE_MAX_MEMORY / std::max<uint64_t>(rowBytes, 1));
    const uint32_t unit = f.tiled ? tileLength : f.rowsPerStrip;
    if (unit == 0 || unit >= f.height) return static_cast<uint32_t>(std::min<uint64_t>(f.height, mostRows));
    const uint64_t unitBytes = uint64_t{unit} * f.width * 4;
    const uint64_t units = unitBytes >= (uint64_t{4} << 20) ? 1 : (uint64_t{4} << 20) / unitBytes;
    return static_cast<uint32_t>(std::min<uint64_t>(units * unit, f.height));
}

// Red, green, blue, alpha pixels into an image row (blue first) and, when
// alphaRow is given, its alpha row.
void PutRgbaRow(const uint8_t* source, uint8_t* row, uint8_t* alphaRow, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, source += 4, row += 3) {
        row[0] = source[2];
        row[1] = source[1];
        row[2] = source[0];
        if (alphaRow) alphaRow[x] = source[3];
    }
}

// Ends libtiff's RGBA reading on scope exit.
struct RgbaReading {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaReading() {
        if (begun) TIFFRGBAImageEnd(&image);
    }
};

}  // namespace

bool CxImageTIF::ReadRgbaRaster(TIFF* tif, const TifFields& fields) {
    const uint32_t width = fields.width, height = fields.height;
    char message[1024] = {};
    // libtiff premultiplies unassociated alpha into its raster: named
    // associated for this reading, the colours come through as stored, and
    // both kinds of alpha end straight as on the other paths (DecodePage).
    if (AlphaIsValid() && fields.firstExtraSample == EXTRASAMPLE_UNASSALPHA) {
        uint16_t count = 0;
        uint16_t* types = nullptr;
        if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types) && count > 0 && types) {
            uint16_t named[8] = {};
            const uint16_t kept = std::min<uint16_t>(count, 8);
            std::copy(types, types + kept, named);
            named[0] = EXTRASAMPLE_ASSOCALPHA;
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, kept, named);
        }
    }
    RgbaReading reading;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&reading.image, tif, 1, message))
        return Fail("Corrupted TIFF file!");
    reading.begun = true;
    // Asked in the page's own orientation, libtiff turns nothing: the rows
    // come as stored, first row first, and are turned upright below like
    // those of the strips path (libtiff's reader cannot turn by a quarter).
    const bool known = fields.orientation >= ORIENTATION_TOPLEFT && fields.orientation <= ORIENTATION_LEFTBOT;
    reading.image.req_orientation = known ? fields.orientation : ORIENTATION_TOPLEFT;

    uint32_t tileLength = 0;
    if (fields.tiled) TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
    const uint32_t band = RowsPerBand(fields, tileLength);
    uint64_t rasterBytes = 0;
    CxBuffer raster;
    if (!cximage::ProductWithin({width, band, 4}, CXIMAGE_MAX_MEMORY, rasterBytes) || !raster.Allocate(rasterBytes))
        return Fail("No space for raster buffer");
    auto* pixels = reinterpret_cast<uint32_t*>(raster.data());
    const bool withAlpha = AlphaIsValid();
    for (uint32_t ys = 0; ys < height; ys += band) {
        const uint32_t rows = std::min(band, height - ys);
        reading.image.row_offset = static_cast<int>(ys);
        reading.image.col_offset = 0;
        if (!TIFFRGBAImageGet(&reading.image, pixels, width, rows)) return Fail("Corrupted TIFF file!");
        for (uint32_t r = 0; r < rows; ++r) {
            if (info.escape) return Fail("Cancelled");
            const uint32_t y = height - 1 - (ys + r);
            const uint8_t* source = raster.data() + uint64_t{r} * width * 4;
            PutRgbaRow(source, GetBits(y), withAlpha ? alpha + uint64_t{y} * width : nullptr, width);
        }
    }
    return true;
}

// Contiguous 8-bit RGB(A) strips: each scanline is decoded straight into
// its image row, with no raster beside the image. Colours come as stored:
// associated alpha is made straight when the page is done (DecodePage).
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
    const bool withAlpha = AlphaIsValid();
    for (uint32_t y = 0; y < height; ++y) {
        if (info.escape) return Fail("Cancelled");
        uint8_t* row = GetBits(height - 1 - y);
        // Decoded into a row of its own (it stays in the cache), then swapped
        // into the image: swapping in place makes each load wait for the
        // store before it.
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return Fail("Corrupted TIFF file!");
        if (samples == 3) {
            cximage::SwapRedBlue(line.data(), row, width);
            continue;
        }
        PutRgbaRow(line.data(), row, withAlpha ? alpha + uint64_t{height - 1 - y} * width : nullptr, width);
    }
    return true;
}
