#include "tiff_test_support.h"

#include <cstring>

#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace qlry::test::tiff {

namespace {

std::vector<uint8_t> StreamBytes(CxMemStream& stream) {
    const int32_t size = stream.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(size > 0 ? size : 0));
    stream.Seek(0, SEEK_SET);
    if (!bytes.empty() && stream.Read(bytes.data(), 1, bytes.size()) != bytes.size()) return {};
    return bytes;
}

}  // namespace

std::vector<uint8_t> WriteWithLibtiff(const std::vector<PageSpec>& pages) {
    CxMemStream stream;
    if (!stream.Open()) return {};
    TifSession session(&stream, "w");
    TIFF* tif = session.get();
    if (!tif) return {};
    bool ok = true;
    for (const PageSpec& page : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        page.tags(tif);
        for (uint32_t y = 0; y < page.height && ok; ++y) {
            std::vector<uint8_t> row = page.row(y);
            ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
        }
        ok = ok && TIFFWriteDirectory(tif);
    }
    session.Close();
    return ok ? StreamBytes(stream) : std::vector<uint8_t>{};
}

std::vector<uint8_t> WriteTiledWithLibtiff(const PageSpec& page, uint32_t tileWidth, uint32_t tileLength) {
    CxMemStream stream;
    if (!stream.Open()) return {};
    TifSession session(&stream, "w");
    TIFF* tif = session.get();
    if (!tif) return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    page.tags(tif);
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, tileWidth);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, tileLength);
    const size_t rowBytes = page.row(0).size();
    const size_t pixelBytes = rowBytes / page.width;
    std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(tif)));
    bool ok = true;
    for (uint32_t ty = 0; ty < page.height && ok; ty += tileLength) {
        for (uint32_t tx = 0; tx < page.width && ok; tx += tileWidth) {
            std::fill(tile.begin(), tile.end(), 0);
            for (uint32_t r = 0; r < tileLength && ty + r < page.height; ++r) {
                const std::vector<uint8_t> row = page.row(ty + r);
                const size_t columns = std::min(tileWidth, page.width - tx);
                std::memcpy(&tile[r * tileWidth * pixelBytes], &row[tx * pixelBytes], columns * pixelBytes);
            }
            ok = TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) >= 0;
        }
    }
    ok = ok && TIFFWriteDirectory(tif);
    session.Close();
    return ok ? StreamBytes(stream) : std::vector<uint8_t>{};
}

WrittenPage ReadPageTags(const std::vector<uint8_t>& file) {
    WrittenPage page;
    std::vector<uint8_t> copy(file);
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    TifSession session(&stream, "r");
    TIFF* tif = session.get();
    if (!tif) return page;
    page.ok = true;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &page.rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &page.samples);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &page.bitsPerSample);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &page.photometric);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &page.compression);
    TIFFGetField(tif, TIFFTAG_PREDICTOR, &page.predictor);
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &page.resolutionUnit);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &page.xResolution);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &page.yResolution);
    uint16_t count = 0;
    uint16_t* types = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types) && count > 0) page.extraSamples = types[0];
    if (page.compression == COMPRESSION_JPEG) TIFFGetField(tif, TIFFTAG_JPEGQUALITY, &page.jpegQuality);
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        page.colormapRed.assign(red, red + (size_t{1} << page.bitsPerSample));
    session.Close();
    return page;
}

std::vector<uint32_t> LibtiffRgba(const std::vector<uint8_t>& file, uint32_t& width, uint32_t& height) {
    std::vector<uint8_t> copy(file);
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    TifSession session(&stream, "r");
    TIFF* tif = session.get();
    if (!tif) return {};
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint32_t> raster(size_t{width} * height);
    const bool ok = !raster.empty() && TIFFReadRGBAImage(tif, width, height, raster.data(), 1);
    session.Close();
    return ok ? raster : std::vector<uint32_t>{};
}

void FillPattern(CxImage& image, uint32_t seed) {
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        uint8_t* row = image.GetBits(y);
        for (uint32_t i = 0; i < image.GetRowBytes(); ++i)
            row[i] = static_cast<uint8_t>((i * 7 + y * 13 + seed) ^ (i >> 3));
    }
}

}  // namespace qlry::test::tiff
