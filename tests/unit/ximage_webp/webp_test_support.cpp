#include "webp_test_support.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdlib>
#include <cstring>

#include "support/corpus.h"

namespace qlry::test::webp {

Bytes CorpusFile(const std::string& name) { return ReadCorpusBytes("webp/" + name); }

Reference ReferenceDecode(const Bytes& file, int frame) {
    Reference out;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK) return out;
    if (!features.has_animation) {
        int width = 0, height = 0;
        uint8_t* bgra = WebPDecodeBGRA(file.data(), file.size(), &width, &height);
        if (!bgra) return out;
        out.width = static_cast<uint32_t>(width);
        out.height = static_cast<uint32_t>(height);
        out.bgra.assign(bgra, bgra + size_t{out.width} * out.height * 4);
        WebPFree(bgra);
        return out;
    }
    const WebPData data{file.data(), file.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return out;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    bool ok = true;
    for (int n = 0; n <= frame && ok; ++n) ok = WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) != 0;
    if (ok) {
        out.width = info.canvas_width;
        out.height = info.canvas_height;
        out.bgra.assign(canvas, canvas + size_t{out.width} * out.height * 4);
    }
    WebPAnimDecoderDelete(decoder);
    return out;
}

::testing::AssertionResult MatchesReference(const CxImage& image, const Reference& reference) {
    if (reference.bgra.empty()) return ::testing::AssertionFailure() << "the reference decoder refused the file";
    if (image.GetWidth() != reference.width || image.GetHeight() != reference.height)
        return ::testing::AssertionFailure() << "size " << image.GetWidth() << "x" << image.GetHeight() << ", expected "
                                             << reference.width << "x" << reference.height;
    for (uint32_t y = 0; y < reference.height; ++y) {
        for (uint32_t x = 0; x < reference.width; ++x) {
            const uint8_t* want = &reference.bgra[(size_t{y} * reference.width + x) * 4];
            // The image's rows are bottom-up.
            const CxRgbQuad got = image.GetPixelColor(x, reference.height - 1 - y, false);
            const uint8_t opacity = image.AlphaIsValid() ? image.AlphaGet(x, reference.height - 1 - y) : 255;
            if (got.rgbBlue != want[0] || got.rgbGreen != want[1] || got.rgbRed != want[2] || opacity != want[3])
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << " from the top): " << int{got.rgbBlue} << "/"
                       << int{got.rgbGreen} << "/" << int{got.rgbRed} << "/" << int{opacity} << ", expected "
                       << int{want[0]} << "/" << int{want[1]} << "/" << int{want[2]} << "/" << int{want[3]};
        }
    }
    return ::testing::AssertionSuccess();
}

void FillGradient(CxImage& image) {
    const uint32_t colors = image.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7 + 1), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i * 13 + 5));
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            if (colors) {
                image.SetPixelIndex(x, y, static_cast<uint8_t>((x + 3 * y) % colors));
            } else {
                // Smooth, as photos are: lossy coding keeps it close.
                image.SetPixelColor(x, y, CxRgbQuad{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 3),
                                                    static_cast<uint8_t>(128 + (x + y) / 2), 0});
            }
        }
}

}  // namespace qlry::test::webp
