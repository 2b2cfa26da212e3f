// Our own PNM, PGX and Sun raster readers on arbitrary bytes (JPEG-2000
// data is left to the OpenJPEG target). Whatever decodes to an 8-bit grey
// or a 24-bit picture must write and read back unchanged in its format.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    const bool jpeg2000 = (size >= 4 && std::memcmp(data, "\xFF\x4F\xFF\x51", 4) == 0) ||
                          (size >= 8 && std::memcmp(data + 4, "jP  ", 4) == 0);
    if (jpeg2000) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImage image;
    image.SetFrame(static_cast<int32_t>(size % 3) - 1);  // -1, 0 and 1: only 0 is a frame here
    if (!image.Decode(&stream, CXIMAGE_FORMAT_PNM)) {
        Check(!image.IsValid());
        Check(image.GetLastError()[0] != '\0');
        return 0;
    }
    const uint32_t format = image.GetType();
    Check(format == CXIMAGE_FORMAT_PNM);
    const uint32_t bpp = image.GetBpp();
    Check(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    if (bpp == 1 || bpp == 4) return 0;  // their palettes are not the identity ramp the writers take

    for (const uint32_t target : {CXIMAGE_FORMAT_PNM, CXIMAGE_FORMAT_RAS, CXIMAGE_FORMAT_PGX}) {
        if (target == CXIMAGE_FORMAT_PGX && bpp == 24) continue;
        CxMemStream encoded;
        Check(encoded.Open());
        Check(image.Encode(&encoded, target));
        encoded.Seek(0, SEEK_SET);
        CxImage again;
        Check(again.Decode(&encoded, CXIMAGE_FORMAT_UNKNOWN));
        Check(again.GetType() == target);
        Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
        for (uint32_t y = 0; y < image.GetHeight(); ++y)
            for (uint32_t x = 0; x < image.GetWidth(); ++x)
                Check(again.GetPixelColor(x, y, false) == image.GetPixelColor(x, y, false));
    }
    return 0;
}
