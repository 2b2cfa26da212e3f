#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "support/byte_builder.h"

#include <fstream>
#include <iterator>

namespace qlry::test {

std::vector<uint8_t> BuildDib(const DibLayout& s) {
    std::vector<uint8_t> out;
    Put32(out, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, static_cast<uint32_t>(s.width));
        Put16(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bpp);
    } else {
        Put32(out, static_cast<uint32_t>(s.width));
        Put32(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bpp);
        Put32(out, s.compression);
        Put32(out, s.sizeImage);
        Put32(out, static_cast<uint32_t>(s.xPpm));
        Put32(out, static_cast<uint32_t>(s.yPpm));
        Put32(out, s.clrUsed);
        Put32(out, 0);
        out.resize(s.headerSize, 0);  // longer headers: zero, masks set below; a 16-byte one is cut
        if (s.headerSize > 40) {
            for (size_t i = 0; i < s.masks.size() && 40 + 4 * i + 4 <= s.headerSize; ++i)
                Set32(out, 40 + 4 * i, s.masks[i]);
        } else {
            for (uint32_t m : s.masks) Put32(out, m);
        }
    }
    for (const CxRgbQuad& e : s.palette) {
        out.push_back(e.rgbBlue);
        out.push_back(e.rgbGreen);
        out.push_back(e.rgbRed);
        if (s.headerSize != 12) out.push_back(e.rgbReserved);
    }
    out.insert(out.end(), s.bits.begin(), s.bits.end());
    return out;
}

std::vector<uint8_t> BuildBmp(const DibLayout& layout) {
    const std::vector<uint8_t> dib = BuildDib(layout);
    std::vector<uint8_t> out;
    Put16(out, 0x4D42);
    Put32(out, static_cast<uint32_t>(dib.size() + 14));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(14 + dib.size() - layout.bits.size()));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

CxRgbQuad TestColor(uint32_t x, uint32_t y) {
    return CxRgbQuad{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * 5 + y * 53),
                     static_cast<uint8_t>(255 - x * 19 - y * 7), 0};
}

std::vector<uint8_t> Rows16(uint32_t width, uint32_t height, bool rgb565, bool topDown) {
    const uint32_t stride = ((width + 1) / 2) * 4;
    std::vector<uint8_t> rows(size_t{stride} * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t fileRow = topDown ? height - 1 - y : y;
        for (uint32_t x = 0; x < width; ++x) {
            const CxRgbQuad c = TestColor(x, y);
            const uint32_t v = rgb565 ? ((c.rgbRed >> 3) << 11) | ((c.rgbGreen >> 2) << 5) | (c.rgbBlue >> 3)
                                      : ((c.rgbRed >> 3) << 10) | ((c.rgbGreen >> 3) << 5) | (c.rgbBlue >> 3);
            rows[size_t{fileRow} * stride + 2 * x] = static_cast<uint8_t>(v);
            rows[size_t{fileRow} * stride + 2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return rows;
}

std::vector<uint8_t> Rows32(uint32_t width, uint32_t height, bool topDown, uint8_t fourthByte) {
    std::vector<uint8_t> rows(size_t{width} * 4 * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t fileRow = topDown ? height - 1 - y : y;
        for (uint32_t x = 0; x < width; ++x) {
            const CxRgbQuad c = TestColor(x, y);
            uint8_t* p = &rows[(size_t{fileRow} * width + x) * 4];
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
            p[3] = fourthByte;
        }
    }
    return rows;
}

std::vector<uint8_t> Rows24(uint32_t width, uint32_t height, bool topDown) {
    const uint32_t stride = ((width * 24 + 31) / 32) * 4;
    std::vector<uint8_t> rows(size_t{stride} * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t fileRow = topDown ? height - 1 - y : y;
        for (uint32_t x = 0; x < width; ++x) {
            const CxRgbQuad c = TestColor(x, y);
            uint8_t* p = &rows[size_t{fileRow} * stride + 3 * x];
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
        }
    }
    return rows;
}

std::unique_ptr<CxImage> ExpectedPicture(uint32_t width, uint32_t height, uint8_t keepRedBlue, uint8_t keepGreen) {
    auto image = std::make_unique<CxImage>(width, height, 24, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            CxRgbQuad c = TestColor(x, y);
            c.rgbRed &= keepRedBlue;
            c.rgbGreen &= keepGreen;
            c.rgbBlue &= keepRedBlue;
            image->SetPixelColor(x, y, c);
        }
    return image;
}

void FillTestPicture(CxImage& image) {
    const uint32_t colors = image.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                              static_cast<uint8_t>(i * 3));
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            if (colors) image.SetPixelIndex(x, y, static_cast<uint8_t>((x + 3 * y) % colors));
            else image.SetPixelColor(x, y, TestColor(x, y));
        }
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void TempDirTest::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("qlry_ximage_" + std::string(test->test_suite_name()) + "_" + test->name());
    std::filesystem::create_directories(dir);
}

void TempDirTest::TearDown() { std::filesystem::remove_all(dir); }

}  // namespace qlry::test
