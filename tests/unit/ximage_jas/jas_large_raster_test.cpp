// Rasters larger than one chunk of rows, read from memory and through the
// file port (whose large reads bypass its buffer): both give the same
// picture, and a short file fails both ways.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "jas_test_util.h"
#include "support/fake_file_system.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;

uint8_t Sample(size_t i) { return static_cast<uint8_t>(i * 7 + i / 997); }

Bytes Raster(size_t bytes) {
    Bytes out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = Sample(i);
    return out;
}

struct LargeFile {
    std::string name;
    uint32_t format;
    Bytes bytes;
};

// Each raster is over 256 KB, more than one chunk of rows.
std::vector<LargeFile> LargeFiles() {
    const auto pnm = [](char kind, uint32_t w, uint32_t h, uint32_t channels) {
        char head[64];
        std::snprintf(head, sizeof(head), "P%c\n%u %u\n255\n", kind, w, h);
        return Join(Text(head), Raster(size_t{w} * h * channels));
    };
    const auto ras = [](uint32_t type, uint32_t w, uint32_t h) {
        return Join(RasHeader(w, h, 24, type), Raster((size_t{w} * 3 + 1) / 2 * 2 * h));
    };
    return {
        {"P6 with rows as the image keeps them", CXIMAGE_FORMAT_PNM, pnm('6', 400, 300, 3)},
        {"P6 with padded image rows", CXIMAGE_FORMAT_PNM, pnm('6', 401, 300, 3)},
        {"P5", CXIMAGE_FORMAT_PNM, pnm('5', 613, 500, 1)},
        {"Sun raster, blue first", CXIMAGE_FORMAT_RAS, ras(1, 401, 300)},
        {"Sun raster, red first", CXIMAGE_FORMAT_RAS, ras(3, 401, 300)},
        {"PGX", CXIMAGE_FORMAT_PGX, Join(Text("PG ML + 8 613 500\n"), Raster(613 * 500))},
    };
}

bool LoadThroughPort(const Bytes& bytes, uint32_t format, CxImage& image) {
    qlry::test::FakeFileSystem files;
    files.files[L"picture"] = std::string(bytes.begin(), bytes.end());
    return image.Load(L"picture", format, files);
}

TEST(LargeRasters, DecodeAlikeFromMemoryAndThroughTheFilePort) {
    for (const LargeFile& file : LargeFiles()) {
        CxImage fromMemory, fromFile;
        ASSERT_TRUE(DecodeBytes(file.bytes, fromMemory, file.format)) << file.name;
        ASSERT_TRUE(LoadThroughPort(file.bytes, file.format, fromFile)) << file.name;
        // The whole block, padding included.
        const size_t blockBytes = size_t{fromFile.GetRowBytes()} * fromFile.GetHeight();
        ASSERT_EQ(size_t{fromMemory.GetRowBytes()} * fromMemory.GetHeight(), blockBytes) << file.name;
        EXPECT_EQ(Bytes(fromMemory.GetBits(0), fromMemory.GetBits(0) + blockBytes),
                  Bytes(fromFile.GetBits(0), fromFile.GetBits(0) + blockBytes))
            << file.name;

        Bytes cut = file.bytes;
        cut.resize(cut.size() - 10);
        CxImage shortMemory, shortFile;
        EXPECT_FALSE(DecodeBytes(cut, shortMemory, file.format)) << file.name;
        EXPECT_FALSE(LoadThroughPort(cut, file.format, shortFile)) << file.name;
        EXPECT_STREQ(shortFile.GetLastError(), "error: cannot load image data") << file.name;
        EXPECT_FALSE(shortMemory.IsValid() || shortFile.IsValid()) << file.name;
    }
}

// A picture larger than the caches is written with stores that bypass
// them; every row still lands bottom-up, red and blue swapped, padding
// cleared, whatever the alignment of each row.
TEST(LargeRasters, PicturesLargerThanTheCachesLandWhole) {
    const uint32_t width = 3401, height = 3300;  // 33.7 MB, rows of 10204 bytes
    const Bytes head = Text("P6 3401 3300 255\n");
    const Bytes bytes = Join(head, Raster(size_t{width} * height * 3));
    CxImage image;
    ASSERT_TRUE(DecodeBytes(bytes, image, CXIMAGE_FORMAT_PNM));
    size_t wrong = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = image.GetBits(height - 1 - y);
        const size_t at = size_t{y} * width * 3;
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 3; ++c) wrong += row[3 * x + c] != Sample(at + 3 * x + 2 - c);
        wrong += row[3 * width] != 0;
    }
    EXPECT_EQ(wrong, 0u);
}

}  // namespace
