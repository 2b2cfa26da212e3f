// JP2 files and JPEG-2000 code streams through OpenJPEG on arbitrary bytes.
// A decoded picture is whole; a small one must write losslessly (quality
// 100) and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    const bool codeStream = size >= 4 && std::memcmp(data, "\xFF\x4F\xFF\x51", 4) == 0;
    const bool jp2 = size >= 12 && std::memcmp(data, "\x00\x00\x00\x0CjP  \x0D\x0A\x87\x0A", 12) == 0;
    if (!codeStream && !jp2) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImage image;
    image.SetFrame(static_cast<int32_t>(size % 5) - 1);
    const uint32_t format = jp2 ? CXIMAGE_FORMAT_JP2 : CXIMAGE_FORMAT_JPC;
    if (!image.Decode(&stream, format)) {
        Check(!image.IsValid());
        Check(image.GetLastError()[0] != '\0');
        return 0;
    }
    Check(image.GetType() == format);
    const uint32_t bpp = image.GetBpp();
    Check(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    if (bpp < 8 || uint64_t{image.GetWidth()} * image.GetHeight() > 4096) return 0;

    image.SetJpegQuality(100);
    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_JPC));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_UNKNOWN));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            Check(again.GetPixelColor(x, y, false) == image.GetPixelColor(x, y, false));
    return 0;
}
