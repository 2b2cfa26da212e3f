// The clipboard's bitmap block: export, and import of the layouts programs put there.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bmp_builder.h"
#include "support/fake_global_memory.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::BuildDib;
using qlry::test::DibSpec;
using qlry::test::FakeGlobalMemory;
using qlry::test::SamePixels;
using qlry::test::TestColor;

class DibTest : public ::testing::Test {
protected:
    // A block of exactly the bytes given: any read past it is an ASan error.
    qlry::HGlobal Block(const std::vector<uint8_t>& bytes) {
        qlry::HGlobal block = memory.Alloc(qlry::kGmemMoveable, bytes.size());
        {
            qlry::GlobalLockGuard lock(memory, block);
            if (!bytes.empty()) std::memcpy(lock.get(), bytes.data(), bytes.size());
        }
        blocks.push_back(block);
        return block;
    }
    bool Import(CxImage& image, const std::vector<uint8_t>& bytes) {
        qlry::HGlobal block = Block(bytes);
        const bool ok = image.ImportDibHandle(block, memory);
        EXPECT_EQ(memory.LockCount(block), 0) << "block left locked";
        return ok;
    }
    void TearDown() override {
        for (qlry::HGlobal block : blocks) memory.Free(block);
    }

    FakeGlobalMemory memory;
    std::vector<qlry::HGlobal> blocks;
};

std::unique_ptr<CxImage> Expected24(uint32_t width, uint32_t height, uint8_t keep = 0xFF) {
    auto image = std::make_unique<CxImage>(width, height, 24, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            CxRgbQuad c = TestColor(x, y);
            c.rgbRed &= keep;
            c.rgbGreen &= keep;
            c.rgbBlue &= keep;
            image->SetPixelColor(x, y, c);
        }
    return image;
}

TEST_F(DibTest, ExportCopiesTheBlockAndImportRestoresIt) {
    CxImage empty;
    EXPECT_EQ(empty.ExportDibHandle(memory), nullptr);
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CxImage image(13, 6, bpp, 1);
        qlry::test::FillTestPicture(image);
        image.SetXDpi(150);
        qlry::HGlobal block = image.ExportDibHandle(memory);
        ASSERT_NE(block, nullptr);
        blocks.push_back(block);
        EXPECT_EQ(memory.Size(block), image.GetSize());
        EXPECT_EQ(memory.LockCount(block), 0);
        CxImage back;
        ASSERT_TRUE(back.ImportDibHandle(block, memory)) << back.GetLastError();
        EXPECT_TRUE(SamePixels(back, image)) << bpp;
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(back.GetXDpi(), 150);
        EXPECT_EQ(back.GetType(), CXIMAGE_FORMAT_UNKNOWN);
        if (image.GetPalette()) {
            EXPECT_EQ(std::memcmp(back.GetPalette(), image.GetPalette(), image.GetPaletteSize()), 0);
        }
    }
}

TEST_F(DibTest, ExportOf3x2Is64Bytes) {
    CxImage image(3, 2, 24, 1);
    qlry::HGlobal block = image.ExportDibHandle(memory);
    blocks.push_back(block);
    EXPECT_EQ(memory.Size(block), 64u);
}

TEST_F(DibTest, ExportAndImportReportPlatformFailures) {
    CxImage image(3, 2, 24, 1);
    memory.failAlloc = true;
    EXPECT_EQ(image.ExportDibHandle(memory), nullptr);
    memory.failAlloc = false;
    memory.failLock = true;
    EXPECT_EQ(image.ExportDibHandle(memory), nullptr);
    EXPECT_EQ(memory.LiveBlocks(), 0u);  // the unlockable block was freed again
    memory.failLock = false;
    qlry::HGlobal block = image.ExportDibHandle(memory);
    blocks.push_back(block);
    memory.failLock = true;
    CxImage target;
    EXPECT_FALSE(target.ImportDibHandle(block, memory));
    memory.failLock = false;
    EXPECT_FALSE(target.ImportDibHandle(nullptr, memory));
    EXPECT_FALSE(target.ImportDibHandle(Block({}), memory));  // size 0
    // A borrowed view refuses, since it cannot let go of its pixels.
    CxImage view;
    view.BorrowFrom(&image);
    EXPECT_FALSE(view.ImportDibHandle(block, memory));
}

TEST_F(DibTest, SixteenBitBlocks) {
    DibSpec s;
    s.width = 5;
    s.height = 3;
    s.bpp = 16;
    s.bits = qlry::test::Rows16(5, 3, false, false);
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s))) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_TRUE(SamePixels(image, *Expected24(5, 3, 0xF8)));

    // 0x7FFF is white in 5-5-5: 248 each.
    DibSpec white;
    white.width = 1;
    white.height = 1;
    white.bpp = 16;
    white.bits = {0xFF, 0x7F, 0, 0};
    ASSERT_TRUE(Import(image, BuildDib(white)));
    EXPECT_EQ(image.GetPixelColor(0, 0), (CxRgbQuad{248, 248, 248, 0}));

    // Only bitfield compression brings masks: any other value keeps 5-5-5.
    for (const uint32_t other : {1u, 2u, 6u}) {
        s.compression = other;
        ASSERT_TRUE(Import(image, BuildDib(s))) << other << ": " << image.GetLastError();
        EXPECT_TRUE(SamePixels(image, *Expected24(5, 3, 0xF8))) << other;
    }

    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.bits = qlry::test::Rows16(5, 3, true, true);
    s.height = -3;
    ASSERT_TRUE(Import(image, BuildDib(s))) << image.GetLastError();
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const CxRgbQuad c = TestColor(x, y), got = image.GetPixelColor(x, y);
            ASSERT_EQ(got.rgbGreen, c.rgbGreen & 0xFC);
            ASSERT_EQ(got.rgbRed, c.rgbRed & 0xF8);
        }
}

TEST_F(DibTest, ThirtyTwoBitBitfieldsAsWindowsSynthesisesThem) {
    // CF_BITMAP read back as CF_DIB: 40-byte header, BI_BITFIELDS, 12 bytes of
    // masks, 32-bit rows, fourth byte zero.
    for (bool topDown : {false, true}) {
        DibSpec s;
        s.width = 70;
        s.height = topDown ? -9 : 9;
        s.bpp = 32;
        s.compression = 3;
        s.masks = {0xFF0000, 0xFF00, 0xFF};
        s.bits = qlry::test::Rows32(70, 9, topDown);
        CxImage image;
        ASSERT_TRUE(Import(image, BuildDib(s))) << image.GetLastError();
        EXPECT_TRUE(SamePixels(image, *Expected24(70, 9)));
        EXPECT_FALSE(image.AlphaIsValid());
    }
}

TEST_F(DibTest, ThirtyTwoBitAlphaGoesToTheAlphaPlane) {
    DibSpec s;
    s.width = 4;
    s.height = 2;
    s.bpp = 32;
    s.bits = qlry::test::Rows32(4, 2, false, 0);
    s.bits[4 * 5 + 3] = 200;  // pixel (1, 1)
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s)));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(1, 1), 200);
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    // A version 5 header names the alpha mask itself.
    s.headerSize = 124;
    s.compression = 3;
    s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    s.height = -2;
    ASSERT_TRUE(Import(image, BuildDib(s)));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(1, 0), 200);
    // ...and without one, the fourth bytes are not alpha.
    s.masks = {0xFF0000, 0xFF00, 0xFF, 0};
    ASSERT_TRUE(Import(image, BuildDib(s)));
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST_F(DibTest, LongHeadersTopDownAndShortColourTables) {
    DibSpec s;
    s.width = 6;
    s.height = 4;
    s.bpp = 8;
    s.clrUsed = 3;
    s.palette = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
    s.bits.assign(8 * 4, 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x) s.bits[y * 8 + x] = static_cast<uint8_t>((x + y) % 3);
    CxImage reference;
    ASSERT_TRUE(Import(reference, BuildDib(s))) << reference.GetLastError();
    EXPECT_EQ(reference.GetPixelColor(1, 0).rgbRed, 60);
    EXPECT_EQ(reference.GetPaletteColor(3), CxRgbQuad{});
    for (uint32_t header : {52u, 56u, 108u, 124u}) {
        s.headerSize = header;
        CxImage image;
        ASSERT_TRUE(Import(image, BuildDib(s))) << header << image.GetLastError();
        EXPECT_TRUE(SamePixels(image, reference)) << header;
    }
    // Top-down: the rows reversed in the block give the same picture.
    DibSpec flipped = s;
    flipped.height = -4;
    for (uint32_t y = 0; y < 4; ++y)
        std::memcpy(&flipped.bits[(3 - y) * 8], &s.bits[y * 8], 8);
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(flipped)));
    EXPECT_TRUE(SamePixels(image, reference));
    // 12-byte core header with 3-byte entries.
    DibSpec core = s;
    core.headerSize = 12;
    core.clrUsed = 0;
    core.palette.resize(256);
    ASSERT_TRUE(Import(image, BuildDib(core)));
    EXPECT_TRUE(SamePixels(image, reference));
}

TEST_F(DibTest, TwentyFourBitsTopDownAndWithPalette) {
    DibSpec s;
    s.width = 7;
    s.height = -3;
    s.bits = qlry::test::Rows24(7, 3, true);
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s)));
    EXPECT_TRUE(SamePixels(image, *Expected24(7, 3)));
    // A colour table in front of true-colour rows is skipped.
    s.height = 3;
    s.bits = qlry::test::Rows24(7, 3, false);
    s.clrUsed = 2;
    s.palette = {{1, 1, 1, 0}, {2, 2, 2, 0}};
    ASSERT_TRUE(Import(image, BuildDib(s)));
    EXPECT_TRUE(SamePixels(image, *Expected24(7, 3)));
}

TEST_F(DibTest, RunLengthBlocks) {
    DibSpec s;
    s.width = 4;
    s.height = 2;
    s.bpp = 8;
    s.compression = 1;
    s.palette.resize(256);  // a full table: the block's colour count is 0
    s.bits = {3, 5, 0, 0, 0, 1};
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s)));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 5);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 5);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 0);
    DibSpec r4;
    r4.width = 4;
    r4.height = 1;
    r4.bpp = 4;
    r4.compression = 2;
    r4.clrUsed = 4;  // a short table
    r4.palette.resize(4);
    r4.bits = {4, 0x3C};
    ASSERT_TRUE(Import(image, BuildDib(r4)));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 12);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 12);
}

TEST_F(DibTest, RefusedLayouts) {
    CxImage image;
    DibSpec s;
    s.width = 2;
    s.height = 2;
    s.bpp = 4;
    s.compression = 3;
    s.bits.assign(8, 0);
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "compression type not supported");
    s.bpp = 32;
    s.compression = 1;
    s.bits.assign(16, 0);
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "unknown compression");
    s.bpp = 24;
    s.compression = 1;
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "unknown compression");
    s.bpp = 24;
    s.compression = 0;
    s.bits.assign(15, 0);  // one byte short of two 8-byte rows
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_FALSE(image.IsValid());
    s.bits.assign(16, 0);
    s.width = 0;
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "CxImage::Create : width and height must be greater than zero");
    s.width = 2;
    s.height = 0;
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "CxImage::Create : width and height must be greater than zero");
    s.height = 2;
    s.width = -2;  // a huge width once taken as unsigned
    EXPECT_FALSE(Import(image, BuildDib(s)));
    EXPECT_STREQ(image.GetLastError(), "CXIMAGE_MAX_MEMORY exceeded");
    s.width = 2;
    s.bpp = 2;
    EXPECT_FALSE(Import(image, BuildDib(s)));
    s.bpp = 8;
    s.clrUsed = 0x40000000;  // a colour table far beyond the block
    EXPECT_FALSE(Import(image, BuildDib(s)));
    s.clrUsed = 0;
    s.headerSize = 30;
    EXPECT_FALSE(Import(image, BuildDib(s)));
    DibSpec huge;
    huge.width = 100000;
    huge.height = 100000;
    EXPECT_FALSE(Import(image, BuildDib(huge)));
    EXPECT_STREQ(image.GetLastError(), "CXIMAGE_MAX_MEMORY exceeded");
}

TEST_F(DibTest, EveryTruncationFailsOrStaysInside) {
    // Exact-size blocks of every length: ASan reports any read past GlobalSize.
    std::vector<std::vector<uint8_t>> blocksToCut;
    DibSpec pal;
    pal.width = 9;
    pal.height = -5;
    pal.bpp = 4;
    pal.clrUsed = 5;
    pal.palette.resize(5);
    pal.bits.assign(8 * 5, 0x12);
    blocksToCut.push_back(BuildDib(pal));
    DibSpec bf;
    bf.width = 3;
    bf.height = 2;
    bf.bpp = 32;
    bf.compression = 3;
    bf.masks = {0xFF0000, 0xFF00, 0xFF};
    bf.bits = qlry::test::Rows32(3, 2, false, 9);
    blocksToCut.push_back(BuildDib(bf));
    bf.headerSize = 124;
    blocksToCut.push_back(BuildDib(bf));
    DibSpec rle;
    rle.width = 8;
    rle.height = 4;
    rle.bpp = 8;
    rle.compression = 1;
    rle.palette.resize(256);
    rle.bits = {4, 1, 0, 4, 1, 2, 3, 4, 0, 0, 0, 2, 3, 1, 2, 7, 0, 1};
    blocksToCut.push_back(BuildDib(rle));
    for (const auto& full : blocksToCut) {
        for (size_t length = 0; length <= full.size(); ++length) {
            CxImage image;
            const bool ok = Import(image, std::vector<uint8_t>(full.begin(), full.begin() + length));
            if (length == full.size()) {
                EXPECT_TRUE(ok) << image.GetLastError();
            }
            if (!ok) {
                EXPECT_FALSE(image.IsValid());
            }
        }
    }
}

}  // namespace
