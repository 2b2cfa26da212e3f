// JPEG decoding of arbitrary bytes: the dimension probe, detection and the
// typed codec; whatever decodes must encode and decode again to a picture of
// the same size and depth.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Large pictures decode the same way as small ones, only slower; the probe
// keeps the fuzzer's time for the parsing paths.
constexpr uint64_t kMaxPixels = uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImageJPG probe;
    probe.SetEscape(-1);
    const bool known = probe.Decode(&stream);
    if (known && uint64_t{probe.GetWidth()} * probe.GetHeight() > kMaxPixels) return 0;
    Check(!probe.IsValid());

    stream.Seek(0, SEEK_SET);
    CxImage image;
    const bool decoded = image.Decode(&stream, CXIMAGE_FORMAT_JPG);
    if (!decoded) {
        Check(!image.IsValid());
        Check(image.GetLastError()[0] != '\0');
        return 0;
    }
    Check(known);
    Check(image.IsValid() && image.GetType() == CXIMAGE_FORMAT_JPG);
    Check(image.GetWidth() == probe.GetWidth() && image.GetHeight() == probe.GetHeight());
    Check(image.GetBpp() == 8 || image.GetBpp() == 24);

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_JPG));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_UNKNOWN));
    Check(again.GetType() == CXIMAGE_FORMAT_JPG);
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    Check(again.GetBpp() == image.GetBpp());
    return 0;
}
