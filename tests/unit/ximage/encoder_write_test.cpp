// Every own encoder reports a write the stream refused as a failure: a disk
// that fills up mid-file must not be taken for a saved picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"

namespace {

// Takes at most `limit` bytes in all, then writes only what still fits.
class FullDiskStream : public CxStream {
public:
    explicit FullDiskStream(size_t limit) : limit_(limit) {}
    bool Close() override { return true; }
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void*, size_t size, size_t count) override {
        if (size == 0) return 0;
        const size_t room = (limit_ - written_) / size;
        const size_t n = count < room ? count : room;
        written_ += n * size;
        return n;
    }
    bool Seek(int32_t, int) override { return false; }
    int32_t Tell() override { return static_cast<int32_t>(written_); }
    int32_t Size() override { return static_cast<int32_t>(written_); }
    bool Flush() override { return true; }
    bool Eof() override { return true; }
    int32_t Error() override { return written_ == limit_ ? 1 : 0; }
    int32_t GetC() override { return -1; }

private:
    size_t limit_;
    size_t written_ = 0;
};

struct EncoderCase {
    uint32_t format;
    uint32_t bpp;
};

size_t EncodedSize(CxImage& image, uint32_t format) {
    CxMemStream stream;
    EXPECT_TRUE(stream.Open());
    EXPECT_TRUE(image.Encode(&stream, format)) << image.GetLastError();
    return static_cast<size_t>(stream.Size());
}

TEST(EncoderWrites, ARefusedWriteIsAFailure) {
    const EncoderCase cases[] = {
        {CXIMAGE_FORMAT_BMP, 24}, {CXIMAGE_FORMAT_BMP, 8},  {CXIMAGE_FORMAT_TGA, 24}, {CXIMAGE_FORMAT_TGA, 8},
        {CXIMAGE_FORMAT_PCX, 24}, {CXIMAGE_FORMAT_PCX, 1},  {CXIMAGE_FORMAT_PCX, 4},  {CXIMAGE_FORMAT_WBMP, 1},
    };
    for (const EncoderCase& c : cases) {
        CxImage image(37, 23, c.bpp);
        ASSERT_TRUE(image.IsValid());
        for (uint32_t y = 0; y < 23; ++y)
            for (uint32_t x = 0; x < 37; ++x) image.SetPixelColorRef(x, y, (x * 7 + y * 13) * 0x010305u);
        const size_t full = EncodedSize(image, c.format);
        ASSERT_GT(full, 4u);
        for (const size_t limit : {size_t{0}, size_t{1}, size_t{3}, full / 2, full - 1}) {
            FullDiskStream stream(limit);
            image.SetLastErrorText("");
            EXPECT_FALSE(image.Encode(&stream, c.format)) << c.format << " bpp " << c.bpp << " limit " << limit;
            EXPECT_STRNE(image.GetLastError(), "") << c.format << " bpp " << c.bpp << " limit " << limit;
        }
        FullDiskStream roomy(full);
        EXPECT_TRUE(image.Encode(&roomy, c.format)) << c.format << " bpp " << c.bpp;
    }
}

}  // namespace
