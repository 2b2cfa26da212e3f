// WBMP decoding of arbitrary bytes by the typed codec; whatever decodes must
// encode and decode again to the same pixels, and a failure leaves no image.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_wbmp.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.empty() ? nullptr : bytes.data(), static_cast<int32_t>(size));
    if (bytes.empty()) stream.Open();

    CxImageWBMP image;
    if (!image.Decode(&stream)) {
        Check(!image.IsValid());
        Check(image.GetLastError()[0] != '\0');
        return 0;
    }
    Check(image.IsValid() && image.GetBpp() == 1 && image.GetType() == CXIMAGE_FORMAT_WBMP);

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded));
    Check(encoded.Tell() <= static_cast<int32_t>(size));
    encoded.Seek(0, SEEK_SET);
    CxImageWBMP again;
    Check(again.Decode(&encoded));
    Check(again.GetSize() == image.GetSize());
    Check(std::memcmp(again.GetDib(), image.GetDib(), image.GetSize()) == 0);
    return 0;
}
