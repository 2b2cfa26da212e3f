// Writing WebP files through libwebp's encoder.
#include <webp/encode.h>

#include "ximage/codecs/ximage_webp.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

// Frees the picture libwebp filled, on every path.
struct PictureGuard {
    WebPPicture picture;
    ~PictureGuard() { WebPPictureFree(&picture); }
};

struct StreamWriter {
    CxStream* stream;
    bool refused;  // a write the stream took short: the file is not whole
};

int WriteToStream(const uint8_t* data, size_t size, const WebPPicture* picture) {
    auto* writer = static_cast<StreamWriter*>(picture->custom_ptr);
    if (size == 0) return 1;
    if (writer->stream->Write(data, 1, size) == size) return 1;
    writer->refused = true;
    return 0;
}

const char* EncodeErrorText(WebPEncodingError error) {
    switch (error) {
        case VP8_ENC_ERROR_OUT_OF_MEMORY:
        case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return "Can't allocate memory";
        case VP8_ENC_ERROR_BAD_DIMENSION:
        case VP8_ENC_ERROR_FILE_TOO_BIG: return "Image too large for WebP";
        case VP8_ENC_ERROR_BAD_WRITE: return "WebP write failed";
        case VP8_ENC_ERROR_USER_ABORT: return "Cancelled";
        default: return "Error saving WebP file";
    }
}

uint32_t Argb(uint8_t alpha, CxRgbQuad color) {
    return uint32_t{alpha} << 24 | uint32_t{color.rgbRed} << 16 | uint32_t{color.rgbGreen} << 8 | color.rgbBlue;
}

}  // namespace

bool CxImageWEBP::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const bool indexed = GetBpp() <= 8;
    // Palette pictures are screenshots and drawings: kept exact.
    const bool lossless = indexed || info.quality >= 100;
    WebPConfig config;
    if (!WebPConfigInit(&config)) return Fail("WebP encoder version mismatch");
    if (lossless) {
        config.lossless = 1;
        config.exact = 1;  // the colour under transparent pixels too
    } else {
        config.quality = static_cast<float>(info.quality);
    }

    PictureGuard guard;
    WebPPicture& picture = guard.picture;
    if (!WebPPictureInit(&picture)) return Fail("WebP encoder version mismatch");
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.use_argb = lossless ? 1 : 0;
    const bool paletteAlpha = indexed && (info.transIndex >= 0 || info.alphaPaletteEnabled);
    if (!indexed && !alpha) {
        // The rows from the top down: the top row is the image's last.
        const auto stride = static_cast<int>(GetRowBytes());
        if (!WebPPictureImportBGR(&picture, GetBits(height - 1), -stride))
            return Fail(EncodeErrorText(picture.error_code));
    } else {
        picture.use_argb = 1;
        if (!WebPPictureAlloc(&picture)) return Fail(EncodeErrorText(picture.error_code));
        const CxRgbQuad* palette = GetPalette();
        for (uint32_t y = 0; y < height; ++y) {
            const uint32_t row = height - 1 - y;
            const uint8_t* bits = GetBits(row);
            const uint8_t* opacity = alpha ? alpha + size_t{row} * width : nullptr;
            uint32_t* out = picture.argb + size_t{y} * static_cast<size_t>(picture.argb_stride);
            for (uint32_t x = 0; x < width; ++x) {
                CxRgbQuad color;
                uint8_t a = 255;
                if (indexed) {
                    const uint8_t index = GetPixelIndexUnchecked(x, row);
                    color = palette[index];
                    if (paletteAlpha)
                        a = info.alphaPaletteEnabled ? color.rgbReserved : (index == info.transIndex ? 0 : 255);
                } else {
                    color = CxRgbQuad{bits[3 * x], bits[3 * x + 1], bits[3 * x + 2], 0};
                }
                if (opacity) a = opacity[x];
                out[x] = Argb(a, color);
            }
        }
    }

    StreamWriter writer{stream, false};
    picture.writer = WriteToStream;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture))
        return Fail(writer.refused ? "WebP write failed" : EncodeErrorText(picture.error_code));
    return true;
}
