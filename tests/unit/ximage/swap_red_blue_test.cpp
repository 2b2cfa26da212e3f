// The red-blue swap every red-first codec row goes through: each pixel count
// (the vector part and the tail), in place and from another row, and not a
// byte past the row.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "ximage/toolkit/cx_swap_red_blue.h"

namespace {

constexpr uint8_t kGuard = 0xA5;

std::vector<uint8_t> Pattern(size_t bytes) {
    std::vector<uint8_t> v(bytes);
    for (size_t i = 0; i < bytes; ++i) v[i] = static_cast<uint8_t>(i * 37 + 11);
    return v;
}

TEST(SwapRedBlue, EveryPixelCountInPlaceAndBetweenRows) {
    for (size_t pixels = 0; pixels <= 70; ++pixels) {
        const std::vector<uint8_t> source = Pattern(3 * pixels);
        std::vector<uint8_t> expected = source;
        for (size_t p = 0; p < pixels; ++p) std::swap(expected[3 * p], expected[3 * p + 2]);

        // Guards on both sides of the target.
        std::vector<uint8_t> target(3 * pixels + 32, kGuard);
        cximage::SwapRedBlue(source.data(), target.data() + 16, pixels);
        EXPECT_EQ(std::vector<uint8_t>(target.begin() + 16, target.end() - 16), expected) << pixels;
        for (size_t i = 0; i < 16; ++i) {
            EXPECT_EQ(target[i], kGuard) << pixels;
            EXPECT_EQ(target[target.size() - 1 - i], kGuard) << pixels;
        }

        std::vector<uint8_t> row(3 * pixels + 32, kGuard);
        std::copy(source.begin(), source.end(), row.begin() + 16);
        cximage::SwapRedBlue(row.data() + 16, row.data() + 16, pixels);
        EXPECT_EQ(std::vector<uint8_t>(row.begin() + 16, row.end() - 16), expected) << pixels;
        EXPECT_EQ(row.back(), kGuard) << pixels;
    }
}

// The streaming forms write 16-byte aligned blocks: every offset of the
// target from such a boundary, every length around the block sizes.
TEST(SwapRedBlue, StreamingFormsMatchAtEveryAlignment) {
    for (size_t offset = 0; offset < 16; ++offset)
        for (size_t pixels = 0; pixels <= 70; ++pixels) {
            const std::vector<uint8_t> source = Pattern(3 * pixels);
            std::vector<uint8_t> swapped(3 * pixels);
            cximage::SwapRedBlue(source.data(), swapped.data(), pixels);

            alignas(16) uint8_t target[3 * 70 + 48];
            std::fill(std::begin(target), std::end(target), kGuard);
            cximage::SwapRedBlueStreaming(source.data(), target + offset, pixels);
            EXPECT_EQ(std::vector<uint8_t>(target + offset, target + offset + 3 * pixels), swapped) << offset << " " << pixels;
            EXPECT_EQ(target[offset + 3 * pixels], kGuard) << offset << " " << pixels;
            if (offset) {
                EXPECT_EQ(target[offset - 1], kGuard) << offset << " " << pixels;
            }

            std::fill(std::begin(target), std::end(target), kGuard);
            cximage::CopyStreaming(source.data(), target + offset, 3 * pixels);
            EXPECT_EQ(std::vector<uint8_t>(target + offset, target + offset + 3 * pixels), source) << offset << " " << pixels;
            EXPECT_EQ(target[offset + 3 * pixels], kGuard) << offset << " " << pixels;
            if (offset) {
                EXPECT_EQ(target[offset - 1], kGuard) << offset << " " << pixels;
            }
        }
}

}  // namespace
