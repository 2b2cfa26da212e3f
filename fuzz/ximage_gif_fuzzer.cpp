// GIF decoding of arbitrary bytes: by type for the first and a later frame,
// by detection, and in probe mode. A decoded picture is whole; a refused one
// is empty.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

void CheckDecoded(bool ok, const CxImage& image) {
    if (!ok) {
        Check(!image.IsValid());
        return;
    }
    Check(image.IsValid());
    const uint32_t bpp = image.GetBpp();
    Check(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    Check(image.GetNumFrames() >= 1);
    // Every pixel is readable: the block is as large as its header says.
    const uint32_t w = image.GetWidth(), h = image.GetHeight();
    volatile uint32_t sum = 0;
    for (uint32_t y = 0; y < h; y += 1 + h / 64)
        for (uint32_t x = 0; x < w; x += 1 + w / 64) sum = sum + image.GetPixelColor(x, y, false).rgbRed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    {
        CxMemStream stream(bytes.data(), static_cast<int32_t>(size));
        CxImage image;
        CheckDecoded(image.Decode(&stream, CXIMAGE_FORMAT_GIF), image);
        if (image.GetNumFrames() > 1) {
            CxMemStream again(bytes.data(), static_cast<int32_t>(size));
            CxImage later;
            later.SetFrame(image.GetNumFrames() - 1);
            CheckDecoded(later.Decode(&again, CXIMAGE_FORMAT_GIF), later);
        }
    }
    {
        CxMemStream stream(bytes.data(), static_cast<int32_t>(size));
        CxImage probe;
        probe.SetEscape(-1);
        probe.Decode(&stream, CXIMAGE_FORMAT_GIF);
        Check(!probe.IsValid());
    }
    return 0;
}
