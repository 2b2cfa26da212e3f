// ICO decoding of arbitrary bytes by the typed codec; the first byte picks
// the frame. Whatever decodes is a whole image of a library depth, encodes
// (when the icon format can hold it) and decodes again to the same size; a
// failure leaves no image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_ico.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 22)) return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    CxMemStream stream(bytes.empty() ? nullptr : bytes.data(), static_cast<int32_t>(bytes.size()));
    if (bytes.empty()) stream.Open();

    CxImageICO image;
    image.SetFrame(data[0] % 4);
    if (!image.Decode(&stream)) {
        Check(!image.IsValid());
        return 0;
    }
    const uint32_t bpp = image.GetBpp();
    Check(image.IsValid() && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24));
    Check(image.GetType() == CXIMAGE_FORMAT_ICO && image.GetNumFrames() > data[0] % 4);
    if (image.GetWidth() >= 256 || image.GetHeight() >= 256) return 0;

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded));
    encoded.Seek(0, SEEK_SET);
    CxImageICO again;
    Check(again.Decode(&encoded));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    Check(again.GetBpp() == bpp);
    return 0;
}
