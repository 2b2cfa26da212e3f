// PNG decoding of arbitrary bytes: the dimension probe, then the typed
// codec; whatever decodes must encode and decode again to the same pixels.
// Each input is also tried with its chunk checksums made right, so that the
// mutations reach the pixel paths behind libpng's CRC test.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <zlib.h>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_png.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Large pictures decode the same way as small ones, only slower; the probe
// keeps the fuzzer's time for the parsing paths.
constexpr uint64_t kMaxPixels = uint64_t{1} << 20;

uint32_t LoadBigEndian(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Rewrites the CRC of every whole chunk after the signature.
void FixChecksums(std::vector<uint8_t>& bytes) {
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint64_t length = LoadBigEndian(&bytes[at]);
        if (at + 12 + length > bytes.size()) return;
        const uLong crc = crc32(0, &bytes[at + 4], static_cast<uInt>(length + 4));
        uint8_t* out = &bytes[at + 8 + length];
        out[0] = static_cast<uint8_t>(crc >> 24);
        out[1] = static_cast<uint8_t>(crc >> 16);
        out[2] = static_cast<uint8_t>(crc >> 8);
        out[3] = static_cast<uint8_t>(crc);
        at += 12 + static_cast<size_t>(length);
    }
}

void DecodeAndCheck(std::vector<uint8_t>& bytes) {
    const size_t size = bytes.size();
    CxMemStream stream(bytes.data(), static_cast<int32_t>(size));

    CxImagePNG probe;
    probe.SetEscape(-1);
    const bool known = probe.Decode(&stream);
    if (!known || uint64_t{probe.GetWidth()} * probe.GetHeight() > kMaxPixels) return;

    stream.Seek(0, SEEK_SET);
    CxImagePNG image;
    if (!image.Decode(&stream)) {
        Check(image.GetLastError()[0] != '\0');
        return;
    }
    Check(image.IsValid());
    Check(image.GetWidth() == probe.GetWidth() && image.GetHeight() == probe.GetHeight());

    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded));
    encoded.Seek(0, SEEK_SET);
    CxImagePNG again;
    Check(again.Decode(&encoded));
    Check(again.GetBpp() == image.GetBpp() && again.AlphaIsValid() == image.AlphaIsValid());
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            const CxRgbQuad a = image.GetPixelColor(x, y, false);
            const CxRgbQuad b = again.GetPixelColor(x, y, false);
            Check(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue);
            Check(image.AlphaGet(x, y) == again.AlphaGet(x, y));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    DecodeAndCheck(bytes);
    std::vector<uint8_t> fixed(data, data + size);
    FixChecksums(fixed);
    if (fixed != bytes) DecodeAndCheck(fixed);
    return 0;
}
