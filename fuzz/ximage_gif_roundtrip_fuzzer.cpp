// GIF decode, encode and decode again: the second picture has the size and
// every pixel colour of the first, palette images and 24-bit mosaics alike.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));
    CxImage image;
    if (!image.Decode(&stream, CXIMAGE_FORMAT_GIF)) return 0;
    // Keep each run short: the mosaic of a large 24-bit picture is slow.
    if (uint64_t{image.GetWidth()} * image.GetHeight() > (1u << 18)) return 0;

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_GIF));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_GIF));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    // A 24-bit picture of one tile comes back as that tile's palette image.
    Check(image.GetBpp() == 24 || again.GetBpp() == image.GetBpp());
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            Check(again.GetPixelColor(x, y, false) == image.GetPixelColor(x, y, false));
    return 0;
}
