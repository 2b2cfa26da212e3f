// Byte streams over memory and over files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bmp_builder.h"
#include "ximage/toolkit/cx_file_stream.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace {

TEST(MemStream, FreshlyOpenedIsEmpty) {
    CxMemStream stream;
    EXPECT_EQ(stream.Size(), -1);
    EXPECT_EQ(stream.Tell(), -1);
    EXPECT_EQ(stream.Error(), -1);
    EXPECT_FALSE(stream.PutC(1));
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(stream.Open());
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.GetC(), -1);
}

TEST(MemStream, GrowsInPageSteps) {
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    std::string bytes(5000, 'a');
    EXPECT_EQ(stream.Write(bytes.data(), 1, bytes.size()), 5000u);
    EXPECT_EQ(stream.Capacity(), 8192);
    EXPECT_EQ(stream.Size(), 5000);
    EXPECT_EQ(stream.Tell(), 5000);
    CxMemStream exact;
    ASSERT_TRUE(exact.Open());
    std::string page(4096, 'b');
    exact.Write(page.data(), 1, page.size());
    EXPECT_EQ(exact.Capacity(), 8192);  // always at least one byte more than needed
    // PutC reallocates once a page only.
    CxMemStream bytewise;
    ASSERT_TRUE(bytewise.Open());
    for (int i = 0; i < 4095; ++i) ASSERT_TRUE(bytewise.PutC(static_cast<uint8_t>(i)));
    EXPECT_EQ(bytewise.Capacity(), 4096);
}

TEST(MemStream, WholeFilesGrowGeometrically) {
    // 8 MB in small pieces: a handful of reallocations, not one a page.
    CxMemStream stream;
    ASSERT_TRUE(stream.Open(CxMemStream::Growth::Geometric));
    const std::string piece(100, 'x');
    int steps = 0;
    for (int32_t last = 0; stream.Size() < 8 * 1024 * 1024; last = stream.Capacity()) {
        ASSERT_EQ(stream.Write(piece.data(), 1, piece.size()), piece.size());
        steps += stream.Capacity() != last;
    }
    EXPECT_LE(steps, 16);  // pages would take 2048
    EXPECT_GE(stream.Capacity(), stream.Size());
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    ASSERT_TRUE(stream.Seek(0, SEEK_SET));
    EXPECT_EQ(stream.Read(bytes.data(), 1, bytes.size()), bytes.size());
    EXPECT_EQ(bytes.find_first_not_of('x'), std::string::npos);
}

TEST(MemStream, SeekRules) {
    uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CxMemStream stream(data, 10);
    EXPECT_TRUE(stream.Seek(-10, SEEK_SET));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_FALSE(stream.Seek(0, 3));
    EXPECT_TRUE(stream.Seek(-3, SEEK_END));
    EXPECT_EQ(stream.GetC(), 7);
    EXPECT_TRUE(stream.Seek(-100, SEEK_CUR));
    EXPECT_EQ(stream.Tell(), 0);
}

TEST(MemStream, ReadCountsWholeElements) {
    uint8_t data[16] = {};
    for (int i = 0; i < 16; ++i) data[i] = static_cast<uint8_t>(i);
    CxMemStream stream(data, 16);
    stream.Seek(6, SEEK_SET);
    uint8_t out[12] = {};
    EXPECT_EQ(stream.Read(out, 4, 3), 2u);  // 10 bytes left: copied, 2 whole elements
    EXPECT_EQ(out[9], 15);
    EXPECT_EQ(stream.Tell(), 16);
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
    EXPECT_EQ(stream.Read(nullptr, 1, 1), 0u);
}

TEST(MemStream, SeekPastTheEndThenWrite) {
    uint8_t data[10] = {};
    CxMemStream stream(data, 10);
    EXPECT_TRUE(stream.Seek(100, SEEK_END));
    EXPECT_EQ(stream.Error(), 1);
    EXPECT_TRUE(stream.Eof());
    EXPECT_TRUE(stream.PutC(0x55));
    EXPECT_EQ(stream.Size(), 111);
    // The wrapped buffer was the caller's: growing copied it, the gap is zero.
    const uint8_t* grown = stream.GetBuffer(false);
    EXPECT_NE(grown, data);
    for (int i = 10; i < 110; ++i) ASSERT_EQ(grown[i], 0) << i;
    EXPECT_EQ(grown[110], 0x55);
}

TEST(MemStream, DetachedBufferOutlivesTheStream) {
    uint8_t* buffer;
    {
        CxMemStream stream;
        ASSERT_TRUE(stream.Open());
        stream.Write("abc", 1, 3);
        buffer = stream.GetBuffer(true);
    }
    EXPECT_EQ(std::memcmp(buffer, "abc", 3), 0);  // ASan would flag a freed buffer
    std::free(buffer);
}

TEST(MemStream, WritesRefusedWithoutBufferOrData) {
    CxMemStream stream;
    EXPECT_EQ(stream.Write("x", 1, 1), 0u);
    ASSERT_TRUE(stream.Open());
    EXPECT_EQ(stream.Write(nullptr, 1, 1), 0u);
    EXPECT_EQ(stream.Write("x", 0, 1), 0u);
    EXPECT_TRUE(stream.Flush());
    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(stream.Size(), -1);
}

using FileStreamTest = qlry::test::TempDirTest;

TEST_F(FileStreamTest, SizeKeepsThePosition) {
    const std::filesystem::path path = dir / "data.bin";
    FILE* file = CxOpenFile(path.wstring(), "w+b");
    ASSERT_NE(file, nullptr);
    CxFileStream stream(file);
    EXPECT_EQ(stream.Write("0123456789", 1, 10), 10u);
    EXPECT_TRUE(stream.Seek(3, SEEK_SET));
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Tell(), 3);
    EXPECT_EQ(stream.GetC(), '3');
    EXPECT_TRUE(stream.PutC('x'));
    EXPECT_TRUE(stream.Flush());
    EXPECT_TRUE(stream.Seek(0, SEEK_END));
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), 0);
    EXPECT_TRUE(stream.Close());
    std::fclose(file);
}

TEST_F(FileStreamTest, WithoutAFile) {
    CxFileStream stream(nullptr);
    uint8_t b;
    EXPECT_EQ(stream.Read(&b, 1, 1), 0u);
    EXPECT_EQ(stream.Write(&b, 1, 1), 0u);
    EXPECT_FALSE(stream.Seek(0, SEEK_SET));
    EXPECT_EQ(stream.Size(), -1);
    EXPECT_EQ(stream.Error(), -1);
    EXPECT_TRUE(stream.Eof());
    EXPECT_FALSE(stream.PutC(1));
    EXPECT_EQ(stream.GetC(), -1);
}

TEST_F(FileStreamTest, OpensNonAsciiWidePaths) {
    // The same name spelt wide (as the program gets it) and in UTF-8 (to check from outside).
    const std::wstring wide = dir.wstring() + L"/\u00e9t\u00e9 \u65e5\u672c \U0001F600.bin";
    const std::filesystem::path utf8 = dir / std::filesystem::path(u8"\u00e9t\u00e9 \u65e5\u672c \U0001F600.bin");
    FILE* out = CxOpenFile(wide, "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("ok", out);
    std::fclose(out);
    EXPECT_TRUE(std::filesystem::exists(utf8));
    FILE* in = CxOpenFile(wide, "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(std::fgetc(in), 'o');
    std::fclose(in);
}

}  // namespace
