#pragma once
// Helpers of the TIFF tests: files made with libtiff itself (so that the
// decoder meets layouts our encoder never writes), what libtiff reads in
// ours, a test picture, and the shared codec helpers the tests use.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <tiffio.h>

#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace qlry::test::tiff {

using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::SamePicture;

// A page to write with libtiff: its tags are set by `tags`, and `row(y)`
// gives the bytes of row y as libtiff takes them (file order, top first).
struct PageSpec {
    uint32_t width = 0;
    uint32_t height = 0;
    std::function<void(TIFF*)> tags;
    std::function<std::vector<uint8_t>(uint32_t y)> row;
};

// A file of one or more pages written by libtiff with scanlines; empty on failure.
std::vector<uint8_t> WriteWithLibtiff(const std::vector<PageSpec>& pages);
// A file with the same data written as tiles of tileWidth x tileLength.
std::vector<uint8_t> WriteTiledWithLibtiff(const PageSpec& page, uint32_t tileWidth, uint32_t tileLength);

// One tag of the first page of a file, read back with libtiff.
struct WrittenPage {
    bool ok = false;
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t samples = 0, bitsPerSample = 0, photometric = 0, compression = 0, predictor = 1, extraSamples = 0;
    uint16_t resolutionUnit = 0;
    float xResolution = 0, yResolution = 0;
    int jpegQuality = -1;
    std::vector<uint16_t> colormapRed;
};
WrittenPage ReadPageTags(const std::vector<uint8_t>& file);

// libtiff's own RGBA reading of a page, as bottom-up pixels (ABGR words); empty on failure.
std::vector<uint32_t> LibtiffRgba(const std::vector<uint8_t>& file, uint32_t& width, uint32_t& height);

// A picture with a recognisable pattern at every depth.
void FillPattern(CxImage& image, uint32_t seed);

}  // namespace qlry::test::tiff
