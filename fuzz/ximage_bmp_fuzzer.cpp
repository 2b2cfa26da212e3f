// BMP decoding of arbitrary bytes: by detection, by the typed codec and in
// dimension-probe mode; whatever decodes must encode and decode again to
// the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_bmp.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Large pictures decode the same way as small ones, only slower; the probe
// keeps the fuzzer's time for the parsing paths.
constexpr uint64_t kMaxPixels = uint64_t{1} << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImageBMP probe;
    probe.SetEscape(-1);
    const bool known = probe.Decode(&stream);
    if (known && uint64_t{probe.GetWidth()} * probe.GetHeight() > kMaxPixels) return 0;

    stream.Seek(0, SEEK_SET);
    CxImage image;
    const bool decoded = image.Decode(&stream, CXIMAGE_FORMAT_UNKNOWN);
    if (!decoded) {
        Check(!image.IsValid());
        Check(size == 0 || stream.Tell() == 0);
        return 0;
    }
    Check(image.IsValid());
    // Detection tries every codec: bytes the BMP codec refuses may be another
    // format's (a WBMP header is four bytes).
    if (image.GetType() != CXIMAGE_FORMAT_BMP) return 0;
    Check(known);

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded, CXIMAGE_FORMAT_BMP));
    encoded.Seek(0, SEEK_SET);
    CxImage again;
    Check(again.Decode(&encoded, CXIMAGE_FORMAT_BMP));
    Check(again.GetSize() == image.GetSize());
    Check(std::memcmp(again.GetDib() + 40, image.GetDib() + 40, image.GetSize() - 40) == 0);
    return 0;
}
