// PCX decoding of arbitrary bytes, by the typed codec and by detection;
// whatever decodes must encode and decode again to the same colours.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_pcx.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImagePCX codec;
    const bool typed = codec.Decode(&stream);
    stream.Seek(0, SEEK_SET);
    CxImage image;
    if (!image.Decode(&stream, CXIMAGE_FORMAT_PCX)) {
        Check(!typed && !image.IsValid());
        return 0;
    }
    Check(typed && image.GetType() == CXIMAGE_FORMAT_PCX);

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_PCX));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_PCX));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    if (image.GetBpp() == 1) return 0;  // stored as black and white
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            Check(again.GetPixelColor(x, y) == image.GetPixelColor(x, y));
    return 0;
}
