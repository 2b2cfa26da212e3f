// TGA decoding of arbitrary bytes through the typed codec; whatever decodes
// must encode and decode again to the same pixels and alpha values.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImage image;
    if (!image.Decode(&stream, CXIMAGE_FORMAT_TGA)) {
        Check(!image.IsValid());
        Check(image.GetLastError()[0] != '\0');
        return 0;
    }
    Check(image.GetType() == CXIMAGE_FORMAT_TGA);
    Check(image.GetBpp() == 8 || image.GetBpp() == 24);

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_TGA));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_TGA));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            // An 8-bit image with alpha is written without it (colour-mapped).
            const bool alpha = image.GetBpp() == 24;
            Check(again.GetPixelColor(x, y, alpha) == image.GetPixelColor(x, y, alpha));
        }
    return 0;
}
