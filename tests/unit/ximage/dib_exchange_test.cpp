// The clipboard's bitmap block: export, and import of the layouts programs put there.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bmp_builder.h"
#include "support/codec_test_support.h"
#include "support/fake_global_memory.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::BuildDib;
using qlry::test::DibLayout;
using qlry::test::ExpectedPicture;
using qlry::test::FakeGlobalMemory;
using qlry::test::Rows16;
using qlry::test::Rows24;
using qlry::test::Rows32;
using qlry::test::Opacity;
using qlry::test::SamePicture;
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
        EXPECT_TRUE(SamePicture(back, image, Opacity::SamePlanes)) << bpp;
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
    DibLayout s{.width = 5, .height = 3, .bpp = 16, .bits = Rows16(5, 3, false, false)};
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s))) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(5, 3, 0xF8, 0xF8), Opacity::SamePlanes));

    // 0x7FFF is white in 5-5-5: 248 each.
    ASSERT_TRUE(Import(image, BuildDib({.width = 1, .height = 1, .bpp = 16, .bits = {0xFF, 0x7F, 0, 0}})));
    EXPECT_EQ(image.GetPixelColor(0, 0), (CxRgbQuad{248, 248, 248, 0}));

    // Only bitfield compression brings masks: any other value keeps 5-5-5.
    for (const uint32_t other : {1u, 2u, 6u}) {
        s.compression = other;
        ASSERT_TRUE(Import(image, BuildDib(s))) << other << ": " << image.GetLastError();
        EXPECT_TRUE(SamePicture(image, *ExpectedPicture(5, 3, 0xF8, 0xF8), Opacity::SamePlanes)) << other;
    }

    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.bits = Rows16(5, 3, true, true);
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
        const DibLayout s{.width = 70,
                        .height = topDown ? -9 : 9,
                        .bpp = 32,
                        .compression = 3,
                        .masks = {0xFF0000, 0xFF00, 0xFF},
                        .bits = Rows32(70, 9, topDown)};
        CxImage image;
        ASSERT_TRUE(Import(image, BuildDib(s))) << image.GetLastError();
        EXPECT_TRUE(SamePicture(image, *ExpectedPicture(70, 9), Opacity::SamePlanes));
        EXPECT_FALSE(image.AlphaIsValid());
    }
}

TEST_F(DibTest, ThirtyTwoBitAlphaGoesToTheAlphaPlane) {
    DibLayout s{.width = 4, .height = 2, .bpp = 32, .bits = Rows32(4, 2, false, 0)};
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

// The version 2 and 3 headers (52 and 56 bytes) carry the colour masks, the
// 56-byte one the alpha mask too: with one naming the fourth byte, that byte
// is alpha; with a zero alpha mask it is not. The 52-byte header has no place
// for it, so the clipboard's rule for 32-bit pixels holds: the fourth byte is alpha.
TEST_F(DibTest, ThirtyTwoBitBitfieldsBehindVersion2And3Headers) {
    const struct {
        uint32_t header;
        uint32_t alphaMask;
        bool alpha;
    } cases[] = {{56, 0xFF000000, true}, {56, 0, false}, {52, 0, true}};
    for (const auto& c : cases) {
        DibLayout s{.headerSize = c.header, .width = 4, .height = 2, .bpp = 32, .compression = 3,
                    .masks = {0xFF0000, 0xFF00, 0xFF, c.alphaMask}, .bits = Rows32(4, 2, false, 0)};
        s.bits[4 * 5 + 3] = 200;  // pixel (1, 1)
        CxImage image;
        ASSERT_TRUE(Import(image, BuildDib(s))) << c.header << image.GetLastError();
        ASSERT_EQ(image.AlphaIsValid(), c.alpha) << c.header << " " << c.alphaMask;
        if (c.alpha) {
            EXPECT_EQ(image.AlphaGet(1, 1), 200) << c.header;
        }
        image.AlphaDelete();
        EXPECT_TRUE(SamePicture(image, *ExpectedPicture(4, 2), Opacity::SamePlanes)) << c.header;
    }
}

TEST_F(DibTest, LongHeadersTopDownAndShortColourTables) {
    DibLayout s{.width = 6, .height = 4, .bpp = 8, .clrUsed = 3,
              .palette = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}}, .bits = std::vector<uint8_t>(8 * 4, 0)};
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
        EXPECT_TRUE(SamePicture(image, reference, Opacity::SamePlanes)) << header;
    }
    // Top-down: the rows reversed in the block give the same picture.
    DibLayout flipped = s;
    flipped.height = -4;
    for (uint32_t y = 0; y < 4; ++y)
        std::memcpy(&flipped.bits[(3 - y) * 8], &s.bits[y * 8], 8);
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(flipped)));
    EXPECT_TRUE(SamePicture(image, reference, Opacity::SamePlanes));
    // 12-byte core header with 3-byte entries.
    DibLayout core = s;
    core.headerSize = 12;
    core.clrUsed = 0;
    core.palette.resize(256);
    ASSERT_TRUE(Import(image, BuildDib(core)));
    EXPECT_TRUE(SamePicture(image, reference, Opacity::SamePlanes));
}

TEST_F(DibTest, TwentyFourBitsTopDownAndWithPalette) {
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib({.width = 7, .height = -3, .bits = Rows24(7, 3, true)})));
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(7, 3), Opacity::SamePlanes));
    // A colour table in front of true-colour rows is skipped.
    const DibLayout withTable{
        .width = 7, .height = 3, .clrUsed = 2, .palette = {{1, 1, 1, 0}, {2, 2, 2, 0}}, .bits = Rows24(7, 3, false)};
    ASSERT_TRUE(Import(image, BuildDib(withTable)));
    EXPECT_TRUE(SamePicture(image, *ExpectedPicture(7, 3), Opacity::SamePlanes));
}

TEST_F(DibTest, RunLengthBlocks) {
    // A full table: the block's colour count is 0.
    const DibLayout s{.width = 4, .height = 2, .bpp = 8, .compression = 1, .palette = std::vector<CxRgbQuad>(256),
                    .bits = {3, 5, 0, 0, 0, 1}};
    CxImage image;
    ASSERT_TRUE(Import(image, BuildDib(s)));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 5);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 5);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 0);
    // A short table.
    const DibLayout r4{.width = 4, .height = 1, .bpp = 4, .compression = 2, .clrUsed = 4,
                     .palette = std::vector<CxRgbQuad>(4), .bits = {4, 0x3C}};
    ASSERT_TRUE(Import(image, BuildDib(r4)));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 12);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 12);
}

TEST_F(DibTest, RefusedLayouts) {
    const std::vector<uint8_t> rows(16, 0), half(8, 0);  // two rows of a 2 x 2 image at 24 bits, at 4 bits
    const char* const noSize = "CxImage::Create : width and height must be greater than zero";
    const struct {
        const char* what;
        DibLayout layout;
        const char* error;  // nullptr: any text
    } cases[] = {
        {"bitfields on 4 bits", {.width = 2, .height = 2, .bpp = 4, .compression = 3, .bits = half},
         "compression type not supported"},
        {"RLE on 32 bits", {.width = 2, .height = 2, .bpp = 32, .compression = 1, .bits = rows}, "unknown compression"},
        {"RLE on 24 bits", {.width = 2, .height = 2, .compression = 1, .bits = rows}, "unknown compression"},
        {"rows one byte short", {.width = 2, .height = 2, .bits = std::vector<uint8_t>(15, 0)}, nullptr},
        {"no width", {.width = 0, .height = 2, .bits = rows}, noSize},
        {"no height", {.width = 2, .height = 0, .bits = rows}, noSize},
        {"width -2, huge as unsigned", {.width = -2, .height = 2, .bits = rows},
         "CXIMAGE_MAX_MEMORY exceeded"},
        {"2 bits", {.width = 2, .height = 2, .bpp = 2, .bits = rows}, nullptr},
        {"a colour table far beyond the block",
         {.width = 2, .height = 2, .bpp = 8, .clrUsed = 0x40000000, .bits = rows}, nullptr},
        {"a 30-byte header", {.headerSize = 30, .width = 2, .height = 2, .bpp = 8, .bits = rows}, nullptr},
        {"100000 x 100000", {.width = 100000, .height = 100000}, "CXIMAGE_MAX_MEMORY exceeded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CxImage image;
        EXPECT_FALSE(Import(image, BuildDib(c.layout)));
        EXPECT_FALSE(image.IsValid());
        if (c.error) {
            EXPECT_STREQ(image.GetLastError(), c.error);
        }
    }
}

TEST_F(DibTest, EveryTruncationFailsOrStaysInside) {
    // Exact-size blocks of every length: ASan reports any read past GlobalSize.
    std::vector<std::vector<uint8_t>> blocksToCut;
    blocksToCut.push_back(BuildDib({.width = 9, .height = -5, .bpp = 4, .clrUsed = 5,
                                    .palette = std::vector<CxRgbQuad>(5), .bits = std::vector<uint8_t>(8 * 5, 0x12)}));
    DibLayout bf{.width = 3, .height = 2, .bpp = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF},
               .bits = Rows32(3, 2, false, 9)};
    blocksToCut.push_back(BuildDib(bf));
    bf.headerSize = 124;
    blocksToCut.push_back(BuildDib(bf));
    blocksToCut.push_back(BuildDib({.width = 8, .height = 4, .bpp = 8, .compression = 1,
                                    .palette = std::vector<CxRgbQuad>(256),
                                    .bits = {4, 1, 0, 4, 1, 2, 3, 4, 0, 0, 0, 2, 3, 1, 2, 7, 0, 1}}));
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
