#include "ximage/codecs/ximage_gif_read_ahead.h"

#include <cstdio>
#include <cstring>

#include "ximage/toolkit/cx_stream_reader.h"

namespace {

constexpr uint8_t kImageIntroducer = 0x2C;

}  // namespace

int64_t CxGifReadAhead::Start() {
    readPos_ = kFill;
    validBytes_ = kFill;
    start_ = reader_.Position();
    return start_;
}

int CxGifReadAhead::Next() {
    if (readPos_ == kFill) {
        validBytes_ = static_cast<int32_t>(reader_.ReadOrZero(buffer_, kFill));
        readPos_ = 0;
    }
    if (readPos_ >= validBytes_) return -1;
    return buffer_[readPos_++];
}

bool CxGifReadAhead::Take(uint8_t* out, int32_t count) {
    if (validBytes_ - readPos_ >= count) {
        std::memcpy(out, buffer_ + readPos_, static_cast<size_t>(count));
        readPos_ += count;
        return true;
    }
    // Across a refill of the buffer.
    for (int32_t i = 0; i < count; ++i) {
        const int b = Next();
        if (b < 0) return false;
        out[i] = static_cast<uint8_t>(b);
    }
    return true;
}

void CxGifReadAhead::Finish(bool broken) {
    // A relative seek, as a file allows: past the end when the data ran out.
    if (!broken) reader_.Stream()->Seek(readPos_ - validBytes_ + 1, SEEK_CUR);
    else FindNextImage();
}

void CxGifReadAhead::FindNextImage() {
    CxStream* stream = reader_.Stream();
    stream->Seek64(start_, SEEK_SET);
    int previous = -1;
    int64_t position = start_;
    for (;;) {
        const size_t got = reader_.ReadOrZero(buffer_, kFill);
        if (got == 0) return;  // left at the end
        for (size_t i = 0; i < got; ++i) {
            if (previous == 0 && buffer_[i] == kImageIntroducer) {
                stream->Seek64(position + static_cast<int64_t>(i), SEEK_SET);
                return;
            }
            previous = buffer_[i];
        }
        position += static_cast<int64_t>(got);
    }
}
