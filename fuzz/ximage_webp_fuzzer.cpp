// WebP decoding of arbitrary bytes: the dimension probe, then the typed
// codec on the first and on the last frame; a small picture that decodes
// must encode losslessly and decode again to the same pixels and opacity.
#include <cstdint>
#include <cstdlib>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_webp.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Large pictures decode the same way as small ones, only slower; the probe
// keeps the fuzzer's time for the parsing paths.
constexpr uint64_t kMaxPixels = uint64_t{1} << 20;
constexpr uint64_t kMaxRoundTripPixels = uint64_t{1} << 14;
// A lossless bitstream may say 16384 pixels; files are written up to 16383.
constexpr uint32_t kMaxEncodedSide = 16383;

void CheckRoundTrip(CxImageWEBP& image) {
    image.SetJpegQuality(100);  // lossless: every pixel comes back
    CxMemStream encoded;
    Check(encoded.Open());
    Check(image.Encode(&encoded));
    encoded.Seek(0, SEEK_SET);
    CxImageWEBP again;
    Check(again.Decode(&encoded));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            const CxRgbQuad a = image.GetPixelColor(x, y, false);
            const CxRgbQuad b = again.GetPixelColor(x, y, false);
            Check(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue);
            const uint8_t alphaA = image.AlphaIsValid() ? image.AlphaGet(x, y) : 255;
            const uint8_t alphaB = again.AlphaIsValid() ? again.AlphaGet(x, y) : 255;
            Check(alphaA == alphaB);
        }
}

void DecodeFrame(const uint8_t* data, size_t size, int32_t frame, uint32_t width, uint32_t height) {
    CxMemStream stream(const_cast<uint8_t*>(data), static_cast<int32_t>(size));
    CxImageWEBP image;
    image.SetFrame(frame);
    if (!image.Decode(&stream)) {
        Check(image.GetLastError()[0] != '\0');
        Check(!image.IsValid());
        return;
    }
    Check(image.IsValid() && image.GetBpp() == 24);
    Check(image.GetWidth() == width && image.GetHeight() == height);
    // Row padding carries no stray bytes.
    const uint32_t used = width * 3;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t i = used; i < image.GetRowBytes(); ++i) Check(image.GetBits(y)[i] == 0);
    if (uint64_t{width} * height <= kMaxRoundTripPixels && width <= kMaxEncodedSide && height <= kMaxEncodedSide)
        CheckRoundTrip(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    CxMemStream stream(const_cast<uint8_t*>(data), static_cast<int32_t>(size));
    CxImageWEBP probe;
    probe.SetEscape(-1);
    if (!probe.Decode(&stream)) return 0;
    const uint32_t width = probe.GetWidth();
    const uint32_t height = probe.GetHeight();
    if (uint64_t{width} * height > kMaxPixels) return 0;
    DecodeFrame(data, size, 0, width, height);
    if (probe.GetNumFrames() > 1) DecodeFrame(data, size, probe.GetNumFrames() - 1, width, height);
    return 0;
}
