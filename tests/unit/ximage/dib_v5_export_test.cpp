// The CF_DIBV5 block: 32 bits with straight alpha, for every kind of
// transparency an image can carry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/fake_global_memory.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_dibv5.h"

namespace {

using cximage::LoadU16;
using cximage::LoadU32;
using qlry::test::FakeGlobalMemory;

// An image whose info record the test may set directly (alphaMax and
// alphaPaletteEnabled have no setters; codecs set them).
class OpenImage : public CxImage {
public:
    CxImageInfo& Info() { return info; }
};

class DibV5Test : public ::testing::Test {
protected:
    FakeGlobalMemory memory;

    // The exported block's bytes; empty when there is none.
    std::vector<uint8_t> Export(const CxImage& image) {
        qlry::HGlobal block = cximage::ExportDibV5Handle(image, memory);
        if (!block) return {};
        std::vector<uint8_t> bytes(memory.Size(block));
        {
            qlry::GlobalLockGuard lock(memory, block);
            std::memcpy(bytes.data(), lock.get(), bytes.size());
        }
        memory.Free(block);
        return bytes;
    }
    // Pixel (x, y) of a bottom-up 32-bit block: blue, green, red, alpha.
    static CxRgbQuad PixelOf(const std::vector<uint8_t>& block, uint32_t width, uint32_t x, uint32_t y) {
        const uint8_t* p = block.data() + cximage::kDibV5HeaderSize + (size_t{y} * width + x) * 4;
        return CxRgbQuad{p[0], p[1], p[2], p[3]};
    }
};

// A 4 x 3 picture of distinct colours with an alpha ramp.
void PaintWithAlpha(CxImage& image) {
    ASSERT_NE(image.Create(4, 3, 24), nullptr);
    image.AlphaCreate();
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            image.SetPixelColor(x, y, CxRgbQuad{uint8_t(10 + x), uint8_t(20 + y), uint8_t(30 + x + y), 0});
            image.AlphaSet(x, y, static_cast<uint8_t>(x * 80 + y));
        }
    }
}

TEST_F(DibV5Test, HeaderIsAVersion5BitfieldsHeaderInSRgb) {
    CxImage image;
    PaintWithAlpha(image);
    image.SetXDpi(300);
    image.SetYDpi(150);
    const std::vector<uint8_t> block = Export(image);
    ASSERT_EQ(block.size(), 124u + 4 * 3 * 4);
    const uint8_t* h = block.data();
    EXPECT_EQ(LoadU32(h + 0), 124u);
    EXPECT_EQ(LoadU32(h + 4), 4u);
    EXPECT_EQ(LoadU32(h + 8), 3u);  // positive: bottom-up
    EXPECT_EQ(LoadU16(h + 12), 1u);
    EXPECT_EQ(LoadU16(h + 14), 32u);
    EXPECT_EQ(LoadU32(h + 16), 3u);  // BI_BITFIELDS
    EXPECT_EQ(LoadU32(h + 20), 48u);
    EXPECT_EQ(LoadU32(h + 24), static_cast<uint32_t>(image.GetHeader().biXPelsPerMeter));
    EXPECT_EQ(LoadU32(h + 28), static_cast<uint32_t>(image.GetHeader().biYPelsPerMeter));
    EXPECT_EQ(LoadU32(h + 32), 0u);
    EXPECT_EQ(LoadU32(h + 40), 0x00FF0000u);
    EXPECT_EQ(LoadU32(h + 44), 0x0000FF00u);
    EXPECT_EQ(LoadU32(h + 48), 0x000000FFu);
    EXPECT_EQ(LoadU32(h + 52), 0xFF000000u);
    EXPECT_EQ(LoadU32(h + 56), 0x73524742u);  // 'sRGB'
    for (size_t i = 60; i < 108; ++i) EXPECT_EQ(h[i], 0) << "end points and gammas at " << i;
    EXPECT_EQ(LoadU32(h + 108), 4u);          // LCS_GM_IMAGES
    for (size_t i = 112; i < 124; ++i) EXPECT_EQ(h[i], 0) << "profile and reserved at " << i;
}

TEST_F(DibV5Test, AlphaPlaneIsStraightAndScaledByAlphaMax) {
    CxImage image;
    PaintWithAlpha(image);
    std::vector<uint8_t> block = Export(image);
    ASSERT_FALSE(block.empty());
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            const CxRgbQuad got = PixelOf(block, 4, x, y);
            const CxRgbQuad want = image.GetPixelColor(x, y, true);
            EXPECT_EQ(got, want) << x << "," << y;  // colours not premultiplied
        }
    }
    OpenImage half;
    PaintWithAlpha(half);
    half.Info().alphaMax = 128;
    block = Export(half);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(PixelOf(block, 4, 3, 2).rgbReserved, (3 * 80 + 2) * 128 / 255);
}

TEST_F(DibV5Test, TransparentColourOfATrueColourPictureIsClear) {
    CxImage image;
    ASSERT_NE(image.Create(3, 1, 24), nullptr);
    const CxRgbQuad key{1, 2, 3, 0};
    image.SetPixelColor(0, 0, key);
    image.SetPixelColor(1, 0, CxRgbQuad{1, 2, 4, 0});
    image.SetPixelColor(2, 0, key);
    image.SetTransColor(key);
    image.SetTransIndex(0);
    ASSERT_TRUE(cximage::HasTransparency(image));
    const std::vector<uint8_t> block = Export(image);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(PixelOf(block, 3, 0, 0), (CxRgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(PixelOf(block, 3, 1, 0), (CxRgbQuad{1, 2, 4, 255}));
    EXPECT_EQ(PixelOf(block, 3, 2, 0), (CxRgbQuad{1, 2, 3, 0}));
}

TEST_F(DibV5Test, PaletteTransparencyAtEveryDepth) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        SCOPED_TRACE(bpp);
        const uint32_t width = 9;  // not a whole byte at 1 and 4 bits
        CxImage image;
        ASSERT_NE(image.Create(width, 2, bpp), nullptr);
        const uint32_t colours = image.GetNumColors();
        for (uint32_t i = 0; i < colours; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7));
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < width; ++x) image.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % colours));
        image.SetTransIndex(1);
        ASSERT_TRUE(cximage::HasTransparency(image));
        const std::vector<uint8_t> block = Export(image);
        ASSERT_FALSE(block.empty());
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t index = image.GetPixelIndex(x, y);
                const CxRgbQuad entry = image.GetPaletteColor(index);
                const CxRgbQuad got = PixelOf(block, width, x, y);
                EXPECT_EQ(got.rgbRed, entry.rgbRed) << x << "," << y;
                EXPECT_EQ(got.rgbGreen, entry.rgbGreen) << x << "," << y;
                EXPECT_EQ(got.rgbBlue, entry.rgbBlue) << x << "," << y;
                EXPECT_EQ(got.rgbReserved, index == 1 ? 0 : 255) << x << "," << y;
            }
        }
    }
}

TEST_F(DibV5Test, PaletteAlphaGoesPixelByPixel) {
    OpenImage image;
    ASSERT_NE(image.Create(4, 1, 8), nullptr);
    for (uint8_t i = 0; i < 4; ++i) {
        image.SetPaletteColor(i, 200, 100, 50, static_cast<uint8_t>(i * 60));
        image.SetPixelIndex(i, 0, static_cast<uint8_t>(3 - i));
    }
    image.Info().alphaPaletteEnabled = true;
    ASSERT_TRUE(cximage::HasTransparency(image));
    const std::vector<uint8_t> block = Export(image);
    ASSERT_FALSE(block.empty());
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(block, 4, x, 0).rgbReserved, (3 - x) * 60) << x;
}

TEST_F(DibV5Test, OpaquePicturesHaveNoTransparency) {
    CxImage empty;
    EXPECT_FALSE(cximage::HasTransparency(empty));
    EXPECT_EQ(cximage::ExportDibV5Handle(empty, memory), nullptr);

    CxImage rgb;
    ASSERT_NE(rgb.Create(2, 2, 24), nullptr);
    EXPECT_FALSE(cximage::HasTransparency(rgb));
    rgb.SetTransColor(CxRgbQuad{1, 2, 3, 0});  // a background colour only
    EXPECT_FALSE(cximage::HasTransparency(rgb));

    CxImage indexed;
    ASSERT_NE(indexed.Create(2, 2, 4), nullptr);
    EXPECT_FALSE(cximage::HasTransparency(indexed));
    indexed.SetTransIndex(16);  // outside the palette: nothing is transparent
    EXPECT_FALSE(cximage::HasTransparency(indexed));
    indexed.SetTransIndex(15);
    EXPECT_TRUE(cximage::HasTransparency(indexed));
}

TEST_F(DibV5Test, ImportsBackWithItsAlpha) {
    CxImage image;
    PaintWithAlpha(image);
    qlry::HGlobal block = cximage::ExportDibV5Handle(image, memory);
    ASSERT_NE(block, nullptr);
    CxImage back;
    ASSERT_TRUE(back.ImportDibHandle(block, memory)) << back.GetLastError();
    memory.Free(block);
    ASSERT_TRUE(back.AlphaIsValid());
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(back.GetPixelColor(x, y, true), image.GetPixelColor(x, y, true)) << x << "," << y;
}

TEST_F(DibV5Test, RefusesAboveTheMemoryCapAndOnFailedAllocation) {
    // 64 M pixels fit as 1-bit rows (8 MB) but not as 32-bit ones (256 MB + header).
    CxImage large;
    ASSERT_NE(large.Create(8192, 8192, 1), nullptr);
    large.SetTransIndex(0);
    EXPECT_EQ(cximage::ExportDibV5Handle(large, memory), nullptr);
    EXPECT_EQ(memory.LiveBlocks(), 0u);

    CxImage image;
    PaintWithAlpha(image);
    memory.failAlloc = true;
    EXPECT_EQ(cximage::ExportDibV5Handle(image, memory), nullptr);
    memory.failAlloc = false;
    memory.failLock = true;
    EXPECT_EQ(cximage::ExportDibV5Handle(image, memory), nullptr);
    EXPECT_EQ(memory.LiveBlocks(), 0u);  // the unlockable block was freed
}

}  // namespace
