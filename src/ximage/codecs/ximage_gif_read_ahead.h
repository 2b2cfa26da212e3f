#pragma once
// CxGifReadAhead: the bytes of one GIF image's data as the LZW decoder takes
// them, read from the stream 16383 at a time so that the code reader makes
// no stream call per sub-block, and the stream put back after the image on
// the byte where the next block starts.
#include <cstdint>

#include "ximage/codecs/ximage_gif_lzw.h"

class CxStreamReader;

class CxGifReadAhead final : public CxGifByteSource {
public:
    explicit CxGifReadAhead(CxStreamReader& reader) : reader_(reader) {}
    CxGifReadAhead(const CxGifReadAhead&) = delete;
    CxGifReadAhead& operator=(const CxGifReadAhead&) = delete;

    // The data starts at the stream's position (its code size byte); nothing
    // is read ahead yet. Returns that position.
    int64_t Start();
    int Next() override;
    bool Take(uint8_t* out, int32_t count) override;
    // Leaves the stream one byte past the last byte taken, which skips the
    // terminator after the sub-block that held the end code. Broken data
    // (codes beyond the table) says nothing reliable about where it ends:
    // the next image is then looked for as a zero byte followed by 0x2C,
    // from the start of the data, and the stream left on that 0x2C (or at
    // the end).
    void Finish(bool broken);

private:
    static constexpr int32_t kSize = 16384;
    static constexpr int32_t kFill = kSize - 1;

    void FindNextImage();

    CxStreamReader& reader_;
    int64_t start_ = 0;
    int32_t readPos_ = kFill;
    int32_t validBytes_ = kFill;
    uint8_t buffer_[kSize] = {};
};
