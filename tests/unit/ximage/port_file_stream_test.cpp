// The stream that images are read through: FILE conventions over the file port.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_file_system.h"
#include "ximage/toolkit/cx_port_file_stream.h"

namespace {

struct PortFileStream : ::testing::Test {
    qlry::test::FakeFileSystem files;
    std::unique_ptr<qlry::File> Open(const std::string& bytes) {
        files.files[L"f"] = bytes;
        return files.Open(L"f", qlry::FileAccess::Read, qlry::FileShare::ReadWrite,
                          qlry::FileDisposition::OpenExisting);
    }
};

TEST_F(PortFileStream, ReadsAcrossItsBufferAndSeeksBack) {
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    auto file = Open(bytes);
    CxPortFileStream stream(*file);
    EXPECT_EQ(stream.Size(), 200000);

    std::string got(bytes.size(), '\0');
    ASSERT_EQ(stream.Read(got.data(), 1, 70000), 70000u);
    for (size_t i = 70000; i < bytes.size(); ++i) got[i] = static_cast<char>(stream.GetC());
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(stream.Tell(), 200000);

    ASSERT_TRUE(stream.Seek(-3, SEEK_END));
    EXPECT_EQ(stream.GetC(), static_cast<uint8_t>(bytes[199997]));
    ASSERT_TRUE(stream.Seek(65535, SEEK_SET));
    uint8_t pair[2];
    ASSERT_EQ(stream.Read(pair, 2, 1), 1u);  // straddles two buffer loads
    EXPECT_EQ(pair[0], static_cast<uint8_t>(bytes[65535]));
    EXPECT_EQ(pair[1], static_cast<uint8_t>(bytes[65536]));
    EXPECT_FALSE(stream.Seek(-1, SEEK_SET));
}

TEST_F(PortFileStream, LargeReadsSkipTheBufferAndEndLikeSmallOnes) {
    std::string bytes(300001, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + i / 251);
    auto file = Open(bytes);
    CxPortFileStream stream(*file);

    // Buffered bytes first, then a read far larger than the buffer.
    std::string got(bytes.size(), '\0');
    ASSERT_EQ(stream.Read(got.data(), 1, 10), 10u);
    ASSERT_EQ(stream.Read(got.data() + 10, 1, 200000), 200000u);
    EXPECT_EQ(stream.Tell(), 200010);
    EXPECT_EQ(stream.GetC(), static_cast<uint8_t>(bytes[200010]));
    // Back into what the buffer held before the large read.
    ASSERT_TRUE(stream.Seek(5, SEEK_SET));
    EXPECT_EQ(stream.GetC(), static_cast<uint8_t>(bytes[5]));
    ASSERT_TRUE(stream.Seek(10, SEEK_SET));
    ASSERT_EQ(stream.Read(got.data() + 10, 1, 200000), 200000u);
    EXPECT_EQ(got.substr(0, 200010), bytes.substr(0, 200010));

    // Past the end: whole items only, the end-of-file indicator set.
    ASSERT_TRUE(stream.Seek(100000, SEEK_SET));
    std::string rest(200004, '\0');
    EXPECT_EQ(stream.Read(rest.data(), 4, 50001), 50000u);
    EXPECT_EQ(rest.substr(0, 200001), bytes.substr(100000));
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), 0);
}

// Reads into several buffers: what the stream's buffer holds first, then
// the rest straight from the file, through the port's own call (a readv on
// POSIX files, one read a piece on the fake); the stream goes on after them.
TEST_F(PortFileStream, PiecesTakeTheBufferedBytesFirstThenTheFile) {
    std::string bytes(250000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + i / 509);
    const std::filesystem::path real = std::filesystem::temp_directory_path() / "qlry_pieces_test.bin";
    std::ofstream(real, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::unique_ptr<qlry::File> opened[] = {
        Open(bytes), qlry::SystemFileSystem().Open(real.wstring(), qlry::FileAccess::Read, qlry::FileShare::ReadWrite,
                                                   qlry::FileDisposition::OpenExisting)};
    for (auto& file : opened) {
        ASSERT_TRUE(file);
        CxPortFileStream stream(*file);
        ASSERT_EQ(stream.GetC(), static_cast<uint8_t>(bytes[0]));  // the buffer now holds the start
        std::string a(30000, '\0'), b(90000, '\0'), c(200000, '\0');
        const qlry::ReadPiece pieces[] = {{a.data(), a.size()}, {b.data(), b.size()}, {c.data(), c.size()}};
        EXPECT_EQ(stream.ReadPieces(pieces, 3), bytes.size() - 1);  // the file ends inside c
        EXPECT_EQ(a + b + c.substr(0, 129999), bytes.substr(1));
        EXPECT_TRUE(stream.Eof());
        ASSERT_TRUE(stream.Seek(70000, SEEK_SET));
        const qlry::ReadPiece again[] = {{a.data(), 10}, {b.data(), 5}};
        EXPECT_EQ(stream.ReadPieces(again, 2), 15u);
        EXPECT_EQ(stream.GetC(), static_cast<uint8_t>(bytes[70015]));
        EXPECT_EQ(a.substr(0, 10) + b.substr(0, 5), bytes.substr(70000, 15));
    }
    for (auto& file : opened) file.reset();  // Windows removes no open file
    std::filesystem::remove(real);
}

TEST_F(PortFileStream, AFailedLargeReadIsAnError) {
    auto file = Open(std::string(200000, 'x'));
    CxPortFileStream stream(*file);
    EXPECT_EQ(stream.GetC(), 'x');
    files.failRead = true;
    std::string got(150000, '\0');
    EXPECT_LT(stream.Read(got.data(), 1, got.size()), got.size());
    EXPECT_NE(stream.Error(), 0);
    EXPECT_FALSE(stream.Eof());
}

TEST_F(PortFileStream, EndOfFileIsSetByAShortReadAndClearedByASeek) {
    auto file = Open("abcde");
    CxPortFileStream stream(*file);
    uint8_t four[4];
    EXPECT_EQ(stream.Read(four, 4, 1), 1u);
    EXPECT_FALSE(stream.Eof());  // at the end, but no read has passed it yet
    EXPECT_EQ(stream.Read(four, 4, 1), 0u);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_TRUE(stream.Seek(0, SEEK_SET));
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.Read(four, 2, 2), 2u);
    EXPECT_EQ(stream.Error(), 0);
    EXPECT_EQ(stream.Write("x", 1, 1), 0u);  // images are only read through it
}

TEST_F(PortFileStream, AReadErrorIsAnErrorNotAnEnd) {
    auto file = Open("abcde");
    files.failRead = true;
    CxPortFileStream stream(*file);
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_NE(stream.Error(), 0);
    EXPECT_FALSE(stream.Eof());
}

}  // namespace
