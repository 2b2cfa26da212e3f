#include "ximage/codecs/ximage_gif_blocks.h"

#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream_reader.h"

namespace {

constexpr int kExtensionIntroducer = 0x21;
constexpr int kImageIntroducer = 0x2C;
constexpr int kTrailer = 0x3B;

bool ReadDescriptor(CxStreamReader& reader, CxGifDescriptor& d) {
    uint8_t raw[9];
    if (!reader.Read(raw, sizeof raw)) return false;
    d = CxGifDescriptor{cximage::LoadU16(raw), cximage::LoadU16(raw + 2), cximage::LoadU16(raw + 4),
                        cximage::LoadU16(raw + 6), raw[8]};
    return true;
}

}  // namespace

CxGifBlockScanner::CxGifBlockScanner(CxStreamReader& reader, uint32_t screenWidth, uint32_t screenHeight,
                                     const int32_t* escape)
    : reader_(reader), screenWidth_(screenWidth), screenHeight_(screenHeight), escape_(escape) {}

CxGifBlockScanner::Block CxGifBlockScanner::Next(CxGifDescriptor& d) {
    for (int ch; (ch = reader_.GetByte()) >= 0;) {
        if (!previousZero_ && ch != 0) continue;
        if (escape_ && *escape_ > 0) return Block::Stopped;
        if (ch == kExtensionIntroducer) return Block::Extension;
        if (ch == kTrailer) return Block::End;
        if (ch != kImageIntroducer) {
            previousZero_ = ch == 0;
            continue;
        }
        if (!ReadDescriptor(reader_, d)) return Block::End;
        if (d.left + d.width <= screenWidth_ && d.top + d.height <= screenHeight_) return Block::Image;
    }
    return Block::End;
}
