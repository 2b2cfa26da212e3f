// The codec toolkit's bounds: checked size math refuses overflow, the byte
// view and the stream reader never pass the end of their data (also beyond
// 2 GiB, where 32-bit positions would wrap), buffers respect the memory cap,
// and failed writes are seen by every encoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_byte_view.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/ximage.h"

namespace {

using namespace cximage;

TEST(CheckedMath, OverflowIsARefusal) {
    uint64_t out = 0;
    EXPECT_TRUE(CheckedMul(1u << 31, 1u << 31, out));
    EXPECT_EQ(out, uint64_t{1} << 62);
    EXPECT_FALSE(CheckedMul(uint64_t{1} << 32, uint64_t{1} << 32, out));
    EXPECT_TRUE(CheckedAdd(UINT64_MAX - 1, 1, out));
    EXPECT_FALSE(CheckedAdd(UINT64_MAX, 1, out));

    EXPECT_TRUE(ProductWithin({65535, 65535, 4}, UINT64_MAX, out));
    EXPECT_EQ(out, uint64_t{65535} * 65535 * 4);
    EXPECT_FALSE(ProductWithin({65535, 65535, 4}, CXIMAGE_MAX_MEMORY, out));
    // Wrapping to a small product must not pass.
    EXPECT_FALSE(ProductWithin({uint64_t{1} << 33, uint64_t{1} << 31, 2}, CXIMAGE_MAX_MEMORY, out));
    EXPECT_TRUE(FitsMemoryCap(CXIMAGE_MAX_MEMORY));
    EXPECT_FALSE(FitsMemoryCap(CXIMAGE_MAX_MEMORY + 1));
}

TEST(CheckedMath, FieldsAreReadInTheirByteOrder) {
    uint8_t b[4];
    StoreU32(b, 0x11223344);
    EXPECT_EQ(b[0], 0x44);
    EXPECT_EQ(LoadU32(b), 0x11223344u);
    EXPECT_EQ(LoadU16(b), 0x3344);
    EXPECT_EQ(LoadU32BE(b), 0x44332211u);
    StoreU16BE(b, 0xABCD);
    EXPECT_EQ(b[0], 0xAB);
    EXPECT_EQ(LoadU16BE(b), 0xABCD);
    StoreU32(b, 0xFFFFFFFE);
    EXPECT_EQ(LoadI32(b), -2);
}

TEST(ByteView, NoReadPassesTheEnd) {
    const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    CxByteView view(data, sizeof data);
    uint32_t v = 0;
    EXPECT_TRUE(view.U32(v));
    EXPECT_EQ(v, 0x04030201u);
    EXPECT_EQ(view.Remaining(), 2u);
    // A short field fails and leaves the cursor where it was.
    EXPECT_FALSE(view.U32(v));
    EXPECT_EQ(view.Position(), 4u);
    EXPECT_EQ(view.Take(3), nullptr);
    EXPECT_FALSE(view.Has(uint64_t{1} << 40));
    EXPECT_FALSE(view.Skip(UINT64_MAX));
    EXPECT_EQ(view.GetByte(), 5);
    EXPECT_EQ(view.GetByte(), 6);
    EXPECT_EQ(view.GetByte(), -1);
    EXPECT_TRUE(view.AtEnd());
    EXPECT_FALSE(view.Seek(7));
    EXPECT_TRUE(view.Seek(6));

    EXPECT_EQ(view.Slice(2, 4).Size(), 4u);
    EXPECT_EQ(view.Slice(2, 5).Size(), 0u);
    EXPECT_EQ(view.Slice(7, 0).Size(), 0u);
    EXPECT_EQ(view.Slice(1, UINT64_MAX).Size(), 0u);  // offset + length would wrap
    EXPECT_EQ(CxByteView(nullptr, 10).Size(), 0u);
}

TEST(Buffer, RefusesAboveTheMemoryCap) {
    CxBuffer small(16);
    ASSERT_TRUE(small);
    EXPECT_EQ(small.size(), 16u);
    for (size_t i = 0; i < small.size(); ++i) EXPECT_EQ(small.data()[i], 0) << i;
    CxBuffer huge(CXIMAGE_MAX_MEMORY + 1);
    EXPECT_FALSE(huge);
    EXPECT_EQ(huge.data(), nullptr);
    EXPECT_EQ(huge.size(), 0u);
    CxBuffer empty(0);
    EXPECT_TRUE(empty);
    EXPECT_EQ(empty.size(), 0u);
}

// A read-only stream of `size` bytes, byte i being (i ^ (i >> 32)) & 0xFF,
// with nothing stored: positions and sizes beyond 2 GiB need no memory. Its
// 32-bit Tell and Size wrap as a 32-bit `long` would.
class LargeStream : public CxStream {
public:
    explicit LargeStream(int64_t size) : size_(size) {}
    static uint8_t ByteAt(int64_t i) { return static_cast<uint8_t>(i ^ (i >> 32)); }

    bool Close() override { return true; }
    size_t Read(void* out, size_t size, size_t count) override {
        if (size != 1) return 0;
        size_t n = 0;
        auto* bytes = static_cast<uint8_t*>(out);
        while (n < count && position_ < size_) bytes[n++] = ByteAt(position_++);
        return n;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    bool Seek(int32_t offset, int origin) override { return Seek64(offset, origin); }
    int32_t Tell() override { return static_cast<int32_t>(position_); }
    int32_t Size() override { return static_cast<int32_t>(size_); }
    bool Flush() override { return true; }
    bool Eof() override { return position_ >= size_; }
    int32_t Error() override { return 0; }
    int32_t GetC() override { return position_ < size_ ? ByteAt(position_++) : -1; }
    int64_t Tell64() override { return position_; }
    int64_t Size64() override { return size_; }
    bool Seek64(int64_t offset, int origin) override {
        const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? position_ : size_;
        if (base + offset < 0) return false;
        position_ = base + offset;
        return true;
    }

private:
    int64_t size_;
    int64_t position_ = 0;
};

constexpr int64_t kGiB = int64_t{1} << 30;

TEST(StreamReader, CountsRemainingBytesBeyond2GiB) {
    LargeStream stream(3 * kGiB + 10);
    CxStreamReader reader(&stream);
    EXPECT_EQ(reader.Remaining(), static_cast<uint64_t>(3 * kGiB + 10));
    // A header asking for 4 GiB of data must not pass against a 3 GiB file
    // (a 32-bit size would read as negative or small).
    EXPECT_FALSE(reader.Has(static_cast<uint64_t>(4 * kGiB)));
    EXPECT_TRUE(reader.Has(static_cast<uint64_t>(3 * kGiB + 10)));

    ASSERT_TRUE(reader.SeekTo(2 * kGiB + 5));
    EXPECT_EQ(reader.Position(), 2 * kGiB + 5);
    EXPECT_EQ(reader.Remaining(), static_cast<uint64_t>(kGiB + 5));
    uint32_t v = 0;
    ASSERT_TRUE(reader.U32(v));
    uint8_t expected[4];
    for (int i = 0; i < 4; ++i) expected[i] = LargeStream::ByteAt(2 * kGiB + 5 + i);
    EXPECT_EQ(v, LoadU32(expected));

    EXPECT_TRUE(reader.Skip(static_cast<uint64_t>(kGiB)));
    EXPECT_EQ(reader.Remaining(), 1u);
    EXPECT_FALSE(reader.Skip(2));  // refused and unmoved
    EXPECT_EQ(reader.Remaining(), 1u);
    EXPECT_GE(reader.GetByte(), 0);
    EXPECT_EQ(reader.GetByte(), -1);
    EXPECT_FALSE(reader.SeekTo(3 * kGiB + 11));
    EXPECT_FALSE(reader.SeekTo(-1));
}

TEST(StreamReader, ShortReadsAreZeroFilledOrRefused) {
    uint8_t data[5] = {1, 2, 3, 4, 5};
    CxMemStream stream(data, sizeof data);
    CxStreamReader reader(&stream);
    uint8_t out[8];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_EQ(reader.ReadOrZero(out, 8), 5u);
    EXPECT_EQ(out[4], 5);
    EXPECT_EQ(out[5], 0);
    EXPECT_EQ(out[7], 0);
    ASSERT_TRUE(reader.SeekTo(3));
    EXPECT_FALSE(reader.Read(out, 3));
    ASSERT_TRUE(reader.SeekTo(0));
    CxBuffer rest;
    ASSERT_TRUE(reader.ReadRest(rest));
    EXPECT_EQ(rest.size(), 5u);
    EXPECT_EQ(rest.data()[4], 5);
    ASSERT_TRUE(reader.SeekTo(0));
    EXPECT_FALSE(reader.ReadRest(rest, 4));  // above the caller's limit
}

TEST(StreamReader, SeekForwardGoesPastTheEndLikeAFileSeek) {
    LargeStream stream(3 * kGiB);
    CxStreamReader reader(&stream);
    ASSERT_TRUE(reader.SeekTo(kGiB));
    ASSERT_TRUE(SeekForward(reader, static_cast<uint64_t>(3 * kGiB)));
    EXPECT_EQ(reader.Position(), 4 * kGiB);  // no 32-bit wrap
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(reader.GetByte(), -1);
    EXPECT_FALSE(SeekForward(reader, UINT64_MAX));

    // A memory stream cannot hold a position beyond 2 GiB: refused.
    uint8_t data[4] = {};
    CxMemStream memory(data, sizeof data);
    CxStreamReader small(&memory);
    EXPECT_TRUE(SeekForward(small, 100));
    EXPECT_EQ(small.Remaining(), 0u);
    EXPECT_FALSE(SeekForward(small, static_cast<uint64_t>(3 * kGiB)));
}

TEST(MemStreamErrors, AFailedGrowthIsAnError) {
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    uint8_t byte = 7;
    ASSERT_EQ(stream.Write(&byte, 1, 1), 1u);
    EXPECT_EQ(stream.Error(), 0);
    // More than a memory stream can address: the write fails and Error says so.
    EXPECT_EQ(stream.Write(&byte, 1, INT32_MAX), 0u);
    EXPECT_EQ(stream.Error(), 1);
    // Later writes succeed, but the lost bytes stay reported.
    EXPECT_TRUE(stream.PutC(1));
    EXPECT_EQ(stream.Error(), 1);
    EXPECT_EQ(stream.Size(), 2);
}

}  // namespace
