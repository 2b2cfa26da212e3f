// Reading WebP still images (animations: ximage_webp_frames.cpp).
#include <webp/decode.h>

#include <algorithm>
#include <cstring>

#include "ximage/codecs/ximage_webp.h"
#include "ximage/codecs/ximage_webp_lib.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

constexpr size_t kRiffHeaderSize = 12;
// Picture data handed to the incremental decoder at a time; escape is
// looked at between pieces.
constexpr size_t kPieceSize = size_t{1} << 18;

// Frees libwebp's incremental decoder and its output on every path.
struct IncrementalDecoder {
    WebPIDecoder* decoder = nullptr;
    WebPDecoderConfig* config = nullptr;
    ~IncrementalDecoder() {
        WebPIDelete(decoder);
        if (config) WebPFreeDecBuffer(&config->output);
    }
};

}  // namespace

const char* WebpStatusText(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OK: return "";
        case VP8_STATUS_OUT_OF_MEMORY: return "Can't allocate memory";
        case VP8_STATUS_UNSUPPORTED_FEATURE: return "Unsupported WebP feature";
        case VP8_STATUS_NOT_ENOUGH_DATA: return "Premature end of WebP file";
        case VP8_STATUS_USER_ABORT: return "Cancelled";
        case VP8_STATUS_INVALID_PARAM:
        case VP8_STATUS_BITSTREAM_ERROR:
        case VP8_STATUS_SUSPENDED:
        default: return "Corrupted WebP file";
    }
}

bool CxImageWEBP::Decode(CxStream* stream) {
    if (!stream) return Fail("null file handler");
    // The whole RIFF file, as its header declares it (or as much as there is).
    uint8_t riff[kRiffHeaderSize];
    if (stream->Read(riff, 1, sizeof(riff)) != sizeof(riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WEBP", 4) != 0)
        return Fail("Not a WebP file");
    const uint64_t declared = uint64_t{cximage::LoadU32(riff + 4)} + 8;
    if (declared < sizeof(riff)) return Fail("Corrupted WebP file");  // shorter than its own header
    const int64_t here = stream->Tell64();
    const int64_t end = stream->Size64();
    const uint64_t available = here >= 0 && end >= here ? static_cast<uint64_t>(end - here) + sizeof(riff) : declared;
    const uint64_t size = std::min(declared, available);
    if (!cximage::FitsMemoryCap(size)) return Fail("CXIMAGE_MAX_MEMORY exceeded");
    CxBuffer file;
    if (!file.Allocate(size)) return Fail("Can't allocate memory");
    std::memcpy(file.data(), riff, sizeof(riff));
    const size_t rest = static_cast<size_t>(size) - sizeof(riff);
    if (stream->Read(file.data() + sizeof(riff), 1, rest) != rest) return Fail("Premature end of WebP file");

    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(file.data(), file.size(), &features);
    if (status != VP8_STATUS_OK) return Fail(WebpStatusText(status));
    // A failed decode leaves no half-filled image behind.
    if (features.has_animation) return DecodeAnimation(file.data(), file.size()) || Discard();
    const auto width = static_cast<uint32_t>(features.width);
    const auto height = static_cast<uint32_t>(features.height);
    info.numFrames = 1;
    if (info.frame != 0) return FrameOutOfRange();
    if (info.escape == -1) return ReportDimensions(width, height);
    if (!WithinMemoryCap(width, height)) return false;
    return DecodeStill(file.data(), file.size(), width, height, features.has_alpha != 0) || Discard();
}

bool CxImageWEBP::DecodeStill(const uint8_t* data, size_t size, uint32_t width, uint32_t height, bool hasAlpha) {
    if (info.escape) return Fail("Cancelled");
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Fail("WebP decoder version mismatch");
    IncrementalDecoder guard;
    guard.config = &config;
    CxBuffer bgra;
    if (hasAlpha) {
        // Blue, green, red, alpha, split into the image and its alpha plane afterwards.
        if (!bgra.Allocate(uint64_t{width} * height * 4)) return Fail("Can't allocate memory");
        config.output.colorspace = MODE_BGRA;
        config.output.u.RGBA.rgba = bgra.data();
        config.output.u.RGBA.stride = static_cast<int>(width * 4);
        config.output.u.RGBA.size = bgra.size();
    } else {
        // Straight into the image's rows, bottom-up as the image keeps them
        // (libwebp writes the top row last).
        if (!CreateUncleared(width, height, 24, CXIMAGE_FORMAT_WEBP)) return false;
        config.options.flip = 1;
        config.output.colorspace = MODE_BGR;
        config.output.u.RGBA.rgba = GetBits(0);
        config.output.u.RGBA.stride = static_cast<int>(GetRowBytes());
        config.output.u.RGBA.size = size_t{GetRowBytes()} * height;
    }
    config.output.is_external_memory = 1;

    guard.decoder = WebPIDecode(nullptr, 0, &config);
    if (!guard.decoder) return Fail("Can't allocate memory");
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    for (size_t fed = 0; status == VP8_STATUS_SUSPENDED;) {
        if (info.escape) return Fail("Cancelled");
        if (fed == size) return Fail("Premature end of WebP file");
        fed = std::min(size, fed + kPieceSize);
        status = WebPIUpdate(guard.decoder, data, fed);
    }
    if (status != VP8_STATUS_OK) return Fail(WebpStatusText(status));
    if (hasAlpha) return TakeBgraRows(bgra.data(), size_t{width} * 4, width, height, true);
    ClearRowPadding();
    return true;
}

bool CxImageWEBP::TakeBgraRows(const uint8_t* bgra, size_t stride, uint32_t width, uint32_t height,
                               bool withAlpha) {
    if (!CreateUncleared(width, height, 24, CXIMAGE_FORMAT_WEBP)) return false;
    if (withAlpha) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("Can't allocate memory");
    }
    // bgra starts with the top row, the image's row height - 1.
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = bgra + y * stride;
        const uint32_t row = height - 1 - y;
        uint8_t* out = GetBits(row);
        for (uint32_t x = 0; x < width; ++x) {
            out[3 * x] = in[4 * x];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x + 2];
        }
        if (!withAlpha) continue;
        uint8_t* opacity = alpha + size_t{row} * width;
        for (uint32_t x = 0; x < width; ++x) opacity[x] = in[4 * x + 3];
    }
    ClearRowPadding();
    return true;
}

void CxImageWEBP::ClearRowPadding() {
    const size_t used = size_t{GetWidth()} * 3;
    if (used == GetRowBytes()) return;
    for (uint32_t y = 0; y < GetHeight(); ++y) std::memset(GetBits(y) + used, 0, GetRowBytes() - used);
}

bool CxImageWEBP::ReportDimensions(uint32_t width, uint32_t height) {
    head.biWidth = static_cast<int32_t>(width);
    head.biHeight = static_cast<int32_t>(height);
    head.biBitCount = 24;
    SetLastErrorText("output dimensions returned");
    return true;
}

bool CxImageWEBP::WithinMemoryCap(uint32_t width, uint32_t height) {
    uint64_t bytes = 0;
    if (cximage::ProductWithin({width, height, kWebpBytesPerPixel}, CXIMAGE_MAX_MEMORY, bytes)) return true;
    return Fail("CXIMAGE_MAX_MEMORY exceeded");
}

bool CxImageWEBP::Discard() {
    Destroy();
    return false;
}

bool CxImageWEBP::FrameOutOfRange() { return Fail("Frame not present in WebP file"); }
