#pragma once
// Builds bitmap blocks and files byte by byte, in any header layout, for
// tests that need inputs the encoder never writes; the test picture and the
// scratch folders the image tests share.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ximage/ximage.h"

namespace qlry::test {

struct DibLayout {
    uint32_t headerSize = 40;  // 12, 16, 40, 52, 56, 64, 108, 124 or anything
    int32_t width = 0;
    int32_t height = 0;        // negative: top-down
    uint16_t bpp = 24;
    uint16_t planes = 1;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    int32_t xPpm = 0, yPpm = 0;
    std::vector<CxRgbQuad> palette{};  // written as given (triples for a 12-byte header)
    std::vector<uint32_t> masks{};     // after a 40-byte header, inside a longer one
    std::vector<uint8_t> bits{};       // pixel data as stored
};

std::vector<uint8_t> BuildDib(const DibLayout& layout);
// The DIB behind a 14-byte file header whose offBits points at the bits.
std::vector<uint8_t> BuildBmp(const DibLayout& layout);

// A test picture: a colour for each (x, y), y counted from the bottom.
CxRgbQuad TestColor(uint32_t x, uint32_t y);

// Rows of the test picture at 16 (5-5-5 or 5-6-5) or 32 bits, bottom-up or top-down.
std::vector<uint8_t> Rows16(uint32_t width, uint32_t height, bool rgb565, bool topDown);
std::vector<uint8_t> Rows32(uint32_t width, uint32_t height, bool topDown, uint8_t fourthByte = 0);
std::vector<uint8_t> Rows24(uint32_t width, uint32_t height, bool topDown);

// The test picture as a 24-bit image, each channel masked as a 16-bit
// layout keeps it (0xF8: five bits, 0xFC: six).
std::unique_ptr<CxImage> ExpectedPicture(uint32_t width, uint32_t height, uint8_t keepRedBlue = 0xFF,
                                         uint8_t keepGreen = 0xFF);

// An image filled with the test picture (palette images: index (x + 3y) mod colours over a ramp palette).
void FillTestPicture(CxImage& image);

std::vector<uint8_t> ReadFileBytes(const std::string& path);

// A fresh folder of the test's own, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path dir;
};

}  // namespace qlry::test
