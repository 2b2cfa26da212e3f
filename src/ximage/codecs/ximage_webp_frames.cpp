// Reading WebP animations: the frame asked for, composed on the canvas.
#include <webp/demux.h>

#include "ximage/codecs/ximage_webp.h"
#include "ximage/codecs/ximage_webp_lib.h"

namespace {

// Frees libwebp's demuxer and animation decoder on every path.
struct AnimationGuard {
    WebPDemuxer* demuxer = nullptr;
    WebPAnimDecoder* decoder = nullptr;
    ~AnimationGuard() {
        WebPAnimDecoderDelete(decoder);
        WebPDemuxDelete(demuxer);
    }
};

bool AnyTransparent(const uint8_t* bgra, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i)
        if (bgra[4 * i + 3] != 255) return true;
    return false;
}

}  // namespace

bool CxImageWEBP::DecodeAnimation(const uint8_t* data, size_t size) {
    const WebPData file{data, size};
    AnimationGuard guard;
    // The frames are counted from the chunks, before any canvas is made.
    guard.demuxer = WebPDemux(&file);
    if (!guard.demuxer) return Fail("Corrupted WebP file");
    const uint32_t frames = WebPDemuxGetI(guard.demuxer, WEBP_FF_FRAME_COUNT);
    const uint32_t width = WebPDemuxGetI(guard.demuxer, WEBP_FF_CANVAS_WIDTH);
    const uint32_t height = WebPDemuxGetI(guard.demuxer, WEBP_FF_CANVAS_HEIGHT);
    info.numFrames = frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames);
    if (info.frame < 0 || info.frame >= info.numFrames) return FrameOutOfRange();
    if (info.escape == -1) return ReportDimensions(width, height);
    if (!WithinMemoryCap(width, height)) return false;

    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return Fail("WebP decoder version mismatch");
    options.color_mode = MODE_BGRA;  // not premultiplied: the alpha plane holds opacity apart
    options.use_threads = 0;
    guard.decoder = WebPAnimDecoderNew(&file, &options);
    if (!guard.decoder) return Fail("Corrupted WebP file");
    // Each frame is drawn over what the frames before it left.
    uint8_t* canvas = nullptr;
    for (int32_t n = 0; n <= info.frame; ++n) {
        if (info.escape) return Fail("Cancelled");
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(guard.decoder, &canvas, &timestamp)) return Fail("Corrupted WebP file");
    }
    const size_t pixels = size_t{width} * height;
    return TakeBgraRows(canvas, size_t{width} * 4, width, height, AnyTransparent(canvas, pixels));
}
