// The image object: sizes, the block, palettes, pixels, planes and ownership.
#include <gtest/gtest.h>

#include <cstring>

#include "ximage/ximage.h"
#include "ximage/ximage_iterator.h"

namespace {

TEST(ImageCreate, RefusesEmptySizes) {
    CxImage image;
    EXPECT_EQ(image.Create(0, 5, 8, 1), nullptr);
    EXPECT_STREQ(image.GetLastError(), "CxImage::Create : width and height must be greater than zero");
    EXPECT_EQ(image.Create(5, 0, 8, 1), nullptr);
    EXPECT_FALSE(image.IsValid());
}

TEST(ImageCreate, RoundsDepthsUpAndLaysOutTheBlock) {
    struct Case {
        uint32_t width, height, bpp;
        uint32_t depth, rowBytes, colors, size;
    };
    const Case cases[] = {
        {3, 2, 16, 24, 12, 0, 64},    {3, 2, 2, 4, 4, 16, 112},     {10, 1, 1, 1, 4, 2, 52},
        {3, 2, 32, 24, 12, 0, 64},    {5, 3, 8, 8, 8, 256, 1088},   {33, 1, 0, 1, 8, 2, 56},
        {1, 1, 5, 8, 4, 256, 1068},   {7, 2, 24, 24, 24, 0, 88},
    };
    for (const Case& c : cases) {
        CxImage image;
        ASSERT_NE(image.Create(c.width, c.height, c.bpp, 1), nullptr) << c.bpp;
        EXPECT_EQ(image.GetBpp(), c.depth);
        EXPECT_EQ(image.GetRowBytes(), c.rowBytes) << c.width << "x" << c.bpp;
        EXPECT_EQ(image.GetNumColors(), c.colors);
        EXPECT_EQ(image.GetHeader().biSizeImage, c.rowBytes * c.height);
        EXPECT_EQ(image.GetSize(), c.size);
        EXPECT_EQ(image.IsIndexed(), c.colors != 0);
        // The block starts with the header as written, little-endian.
        uint32_t width;
        std::memcpy(&width, image.GetDib() + 4, 4);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(image.GetDib()[14], c.depth);
    }
}

TEST(ImageCreate, ClearsPaletteAndRowsEvenWhenReused) {
    CxImage image(16, 16, 8, 1);
    std::memset(image.GetBits(0), 0xAB, image.GetHeader().biSizeImage);
    image.SetPaletteColor(3, 1, 2, 3);
    ASSERT_NE(image.Create(16, 16, 8, 1), nullptr);
    const uint8_t* dib = image.GetDib();
    for (uint32_t i = 40; i < image.GetSize(); ++i) ASSERT_EQ(dib[i], 0) << "byte " << i;
}

TEST(ImageCreate, MemoryCapIsCheckedBeforeAllocation) {
    CxImage image;
    // Each of these would wrap a 32-bit size computation.
    EXPECT_EQ(image.Create(65536, 65536, 24, 1), nullptr);
    EXPECT_STREQ(image.GetLastError(), "CXIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(image.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 24, 1), nullptr);
    EXPECT_STREQ(image.GetLastError(), "CXIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(image.Create(0x80000000u, 1, 1, 1), nullptr);
    // A 1-bit image whose pixel count is above the cap though its rows are not.
    EXPECT_EQ(image.Create(20000, 20000, 1, 1), nullptr);
    // Ordinary photos pass.
    EXPECT_NE(image.Create(6000, 4000, 24, 1), nullptr);
}

TEST(ImageCreate, ResolutionSurvivesCreate) {
    CxImage image;
    image.SetXDpi(0);
    EXPECT_EQ(image.GetXDpi(), 96);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    image.SetXDpi(72);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 2835);
    image.SetYDpi(-5);
    EXPECT_EQ(image.GetYDpi(), 96);
    ASSERT_TRUE(image.Create(2, 2, 24, 1));
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 2835);
}

TEST(ImageDefaults, ConstructorSetsDocumentedDefaults) {
    CxImage image(7);
    const CxImageInfo& info = image.GetInfo();
    EXPECT_EQ(image.GetType(), 7u);
    EXPECT_EQ(info.transIndex, -1);
    EXPECT_EQ(info.quality, 90);
    EXPECT_EQ(info.alphaMax, 255);
    EXPECT_EQ(image.GetXDpi(), 96);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetBits(0), nullptr);
    EXPECT_STREQ(image.GetLastError(), "");
}

TEST(ImageLastError, LongTextsAreCut) {
    CxImage image;
    const std::string text(400, 'x');
    image.SetLastErrorText(text.c_str());
    EXPECT_EQ(std::strlen(image.GetLastError()), 255u);
}

TEST(ImageBits, RowPointersAndRanges) {
    CxImage image(5, 3, 24, 1);
    EXPECT_EQ(image.GetBits(1), image.GetBits(0) + 16);
    EXPECT_EQ(image.GetBits(2), image.GetBits(0) + 32);
    EXPECT_EQ(image.GetBits(3), nullptr);
    EXPECT_TRUE(image.IsInside(4, 2));
    EXPECT_FALSE(image.IsInside(5, 0));
    EXPECT_FALSE(image.IsInside(-1, 0));
}

TEST(ImagePixels, OneBitPacking) {
    CxImage image(10, 2, 1, 1);
    EXPECT_EQ(image.GetRowBytes(), 4u);
    image.SetPixelIndex(9, 0, 1);
    EXPECT_EQ(image.GetBits(0)[1], 0x40);  // bit 6 of byte 1
    image.SetPixelIndex(0, 1, 3);            // only the low bit counts
    EXPECT_EQ(image.GetBits(1)[0], 0x80);
    EXPECT_EQ(image.GetPixelIndex(9, 0), 1);
    image.SetPixelIndex(9, 0, 0);
    EXPECT_EQ(image.GetPixelIndex(9, 0), 0);
}

TEST(ImagePixels, FourBitNibblesKeepTheirNeighbour) {
    CxImage image(3, 1, 4, 1);
    image.SetPixelIndex(0, 0, 0x1A);  // stored & 15
    image.SetPixelIndex(1, 0, 5);
    image.SetPixelIndex(2, 0, 15);
    EXPECT_EQ(image.GetBits(0)[0], 0xA5);
    EXPECT_EQ(image.GetBits(0)[1], 0xF0);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 5);
}

TEST(ImagePixels, OutsideReadsDefaultsAndWritesNothing) {
    CxImage image(4, 4, 8, 1);
    image.SetPixelIndex(0, 0, 9);
    EXPECT_EQ(image.GetPixelIndex(100, 0), 9);  // the first byte of the rows
    image.SetTransIndex(7);
    EXPECT_EQ(image.GetPixelIndex(-1, 2), 7);
    image.SetPixelIndex(4, 0, 3);
    image.SetPixelIndex(0, -1, 3);
    for (uint32_t i = 0; i < image.GetHeader().biSizeImage; ++i)
        EXPECT_EQ(image.GetBits(0)[i], i == 0 ? 9 : 0);
    CxImage empty;
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
    empty.SetPixelIndex(0, 0, 1);
    CxImage rgb(2, 2, 24, 1);
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 0);
}

TEST(ImagePixels, ColorsOfIndexedAndRgbImages) {
    CxImage image(2, 2, 8, 1);
    image.SetPaletteColor(1, 10, 20, 30);
    image.SetPixelIndex(1, 1, 1);
    const CxRgbQuad c = image.GetPixelColor(1, 1);
    EXPECT_EQ(c.rgbRed, 10);
    EXPECT_EQ(c.rgbGreen, 20);
    EXPECT_EQ(c.rgbBlue, 30);

    CxImage rgb(2, 2, 24, 1);
    rgb.SetPixelColor(1, 0, CxRgbQuad{1, 2, 3, 99}, false);
    EXPECT_EQ(rgb.GetBits(0)[3], 1);
    EXPECT_EQ(rgb.GetBits(0)[5], 3);
    rgb.SetPixelColorRef(0, 1, 0x00332211);  // COLORREF: red in the low byte
    EXPECT_EQ(rgb.GetPixelColor(0, 1).rgbRed, 0x11);
    EXPECT_EQ(rgb.GetPixelColor(0, 1).rgbBlue, 0x33);
    // Outside: the colour of pixel (0, 0) without transparency, transColor for 24 bits with it.
    EXPECT_EQ(rgb.GetPixelColor(5, 5), rgb.GetPixelColor(0, 0));
    rgb.SetTransIndex(0);
    rgb.SetTransColor(CxRgbQuad{7, 8, 9, 10});
    EXPECT_EQ(rgb.GetPixelColor(5, 5), (CxRgbQuad{7, 8, 9, 0}));
}

TEST(ImagePixels, EmptyImageColours) {
    CxImage empty;
    empty.SetTransColor(CxRgbQuad{1, 2, 3, 4});
    // No transparent index: transColor, as there is no pixel (0, 0).
    EXPECT_EQ(empty.GetPixelColor(0, 0), (CxRgbQuad{1, 2, 3, 0}));
    // With one, below 24 bits: its palette entry, and an empty image has none.
    empty.SetTransIndex(1);
    EXPECT_EQ(empty.GetPixelColor(0, 0), CxRgbQuad{});
    CxImage destroyed(2, 2, 24, 1);
    destroyed.SetTransIndex(1);
    destroyed.SetTransColor(CxRgbQuad{5, 6, 7, 0});
    destroyed.Destroy();  // the header (24 bits) is kept
    EXPECT_EQ(destroyed.GetPixelColor(0, 0), (CxRgbQuad{5, 6, 7, 0}));
}

TEST(ImagePixels, SetPixelColorOnIndexedPicksNearest) {
    CxImage image(2, 1, 4, 1);
    image.SetPaletteColor(0, 0, 0, 0);
    image.SetPaletteColor(1, 250, 0, 0);
    image.SetPaletteColor(2, 0, 250, 0);
    image.SetPixelColor(1, 0, CxRgbQuad{0, 240, 5, 0});
    EXPECT_EQ(image.GetPixelIndex(1, 0), 2);
}

TEST(ImagePalette, NearestIndexTiesGoToTheLowerAndCacheIsCleared) {
    CxImage image(1, 1, 8, 1);
    image.SetPaletteColor(4, 100, 0, 0);
    image.SetPaletteColor(5, 120, 0, 0);
    // Entries 0..3 and 6.. are black; 110 is equally near 4 and 5.
    image.SetPaletteColor(0, 255, 255, 255);
    for (int i = 1; i < 4; ++i) image.SetPaletteColor(static_cast<uint8_t>(i), 255, 255, 255);
    for (int i = 6; i < 256; ++i) image.SetPaletteColor(static_cast<uint8_t>(i), 255, 255, 255);
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{0, 0, 110, 0}), 4);
    // A palette change must not let the cache answer for the old palette.
    image.SetPaletteColor(4, 0, 0, 255);
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{0, 0, 110, 0}), 5);
    // Exact match returns at once, even when an earlier entry is near.
    image.SetPaletteColor(9, 111, 0, 0);
    image.SetPaletteColor(10, 110, 0, 0);
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{0, 0, 110, 0}), 10);
}

TEST(ImagePalette, NearestColourCacheKeepsTheColourAsAsked) {
    CxImage image(1, 1, 8, 1);
    image.SetPaletteColor(7, 10, 20, 30);
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{30, 20, 10, 99}), 7);
    EXPECT_TRUE(image.GetInfo().lastColorValid);
    EXPECT_EQ(image.GetInfo().lastColor, (CxRgbQuad{30, 20, 10, 99}));
    EXPECT_EQ(image.GetInfo().lastColorIndex, 7);
    // The reserved byte plays no part in the distance.
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{30, 20, 10, 0}), 7);
    EXPECT_EQ(image.GetInfo().lastColor, (CxRgbQuad{30, 20, 10, 0}));
}

TEST(ImagePalette, SearchReachesTheLastEntries) {
    CxImage image(1, 1, 8, 1);
    image.SetPaletteColor(0, 255, 255, 255);
    image.SetPaletteColor(200, 10, 10, 10);
    EXPECT_EQ(image.GetNearestIndex(CxRgbQuad{10, 10, 10, 0}), 200);
}

TEST(ImagePalette, AccessorsRespectTheEntryCount) {
    CxImage image(1, 1, 1, 1);
    image.SetPaletteColor(1, 1, 2, 3, 4);
    image.SetPaletteColor(2, 9, 9, 9);  // beyond 2 entries: ignored
    uint8_t r = 0, g = 0, b = 0;
    EXPECT_TRUE(image.GetPaletteRGB(1, &r, &g, &b));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(b, 3);
    EXPECT_FALSE(image.GetPaletteRGB(2, &r, &g, &b));
    EXPECT_EQ(image.GetPaletteColor(2), CxRgbQuad{});
    EXPECT_EQ(image.GetPaletteColor(1).rgbReserved, 4);
    EXPECT_TRUE(image.PaletteHasAlpha());
    // The palette is exactly 2 entries: the rows right behind it are untouched.
    const CxRgbQuad many[4] = {{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}, {4, 4, 4, 0}};
    image.SetPalette(many, 4);
    EXPECT_EQ(image.GetBits(0)[0], 0);
    const uint8_t reds[3] = {7, 8, 9};
    image.SetPaletteArrays(3, reds);
    EXPECT_EQ(image.GetPaletteColor(1), (CxRgbQuad{8, 8, 8, 0}));
    const uint8_t triples[] = {1, 2, 3, 4, 5, 6};
    image.SetPaletteTriples(triples, 2);
    EXPECT_EQ(image.GetPaletteColor(1), (CxRgbQuad{6, 5, 4, 0}));
    CxImage rgb(1, 1, 24, 1);
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    rgb.SetPaletteColor(0, 1, 1, 1);
    EXPECT_FALSE(rgb.IsGrayScale());
}

TEST(ImagePalette, GrayRampsAndIdentityTest) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CxImage image(1, 1, bpp, 1);
        image.SetGrayPalette();
        const uint32_t n = image.GetNumColors();
        EXPECT_EQ(image.GetPaletteColor(static_cast<uint8_t>(n - 1)).rgbGreen, 255);
        EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 255 / (n - 1));
        // Only the 8-bit ramp is the identity ramp.
        EXPECT_EQ(image.IsGrayScale(), bpp == 8);
    }
}

TEST(ImagePalette, SwapIndexMovesPixelsWithEntries) {
    CxImage image(3, 1, 4, 1);
    image.SetPaletteColor(1, 10, 0, 0);
    image.SetPaletteColor(2, 20, 0, 0);
    image.SetPixelIndex(0, 0, 1);
    image.SetPixelIndex(1, 0, 2);
    image.SetPixelIndex(2, 0, 3);
    const CxRgbQuad before[3] = {image.GetPixelColor(0, 0), image.GetPixelColor(1, 0), image.GetPixelColor(2, 0)};
    image.SwapIndex(1, 2);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 3);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(image.GetPixelColor(x, 0), before[x]);
}

TEST(ImageColors, CompareByLuminance) {
    const CxRgbQuad dark{0, 0, 10, 0}, green{0, 200, 0, 0}, white{255, 255, 255, 0};
    EXPECT_LT(CompareColors(dark, green), 0);
    EXPECT_GT(CompareColors(white, green), 0);
    EXPECT_EQ(CompareColors(green, green), 0);
    EXPECT_EQ(CompareColors(white, CxRgbQuad{}), (255 * 601 + 255 * 306 + 255 * 117) >> 10);
    EXPECT_EQ(CxImage::ColorRefToQuad(0x00112233), (CxRgbQuad{0x11, 0x22, 0x33, 0}));
}

TEST(ImageClear, FillsByDepth) {
    CxImage one(9, 2, 1, 1), four(3, 2, 4, 1), rgb(2, 2, 24, 1);
    one.Clear(1);
    four.Clear(3);
    rgb.Clear(7);
    EXPECT_EQ(one.GetBits(1)[3], 255);
    EXPECT_EQ(four.GetBits(1)[0], 0x33);
    EXPECT_EQ(rgb.GetBits(1)[7], 7);
}

TEST(ImageRgbToBgr, SwapsWithinOneRowOnly) {
    CxImage rgb(2, 1, 24, 1);
    uint8_t buffer[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    rgb.RGBtoBGR(buffer, 12);  // rowBytes is 8: groups at 0 and 3 only
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[5], 4);
    EXPECT_EQ(buffer[6], 7);
    CxImage indexed(2, 1, 8, 1);
    indexed.RGBtoBGR(buffer, 12);
    EXPECT_EQ(buffer[0], 3);
}

TEST(ImageTransparency, TransColorFromPaletteOrRecord) {
    CxImage image(1, 1, 8, 1);
    image.SetPaletteColor(5, 1, 2, 3);
    image.SetTransColor(CxRgbQuad{9, 9, 9, 9});
    EXPECT_EQ(image.GetTransColor(), (CxRgbQuad{9, 9, 9, 0}));
    EXPECT_FALSE(image.IsTransparent());
    image.SetTransIndex(5);
    EXPECT_TRUE(image.IsTransparent());
    EXPECT_EQ(image.GetTransColor(), (CxRgbQuad{3, 2, 1, 0}));
}

TEST(ImageCodecOptions, OwnFormatAndRange) {
    CxImage image(3);
    EXPECT_TRUE(image.SetCodecOption(42));
    EXPECT_EQ(image.GetCodecOption(3), 42u);
    EXPECT_EQ(image.GetCodecOption(), 42u);
    EXPECT_TRUE(image.SetCodecOption(5, CXIMAGE_FORMAT_WEBP));  // the last format has its word too
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_WEBP), 5u);
    EXPECT_FALSE(image.SetCodecOption(1, 17));
    EXPECT_EQ(image.GetCodecOption(17), 0u);
    CxImage odd(99);  // a format id that is not one
    EXPECT_FALSE(odd.SetCodecOption(1));
    EXPECT_EQ(odd.GetCodecOption(), 0u);
}

TEST(ImagePlanes, AlphaLifecycle) {
    CxImage image(3, 2, 24, 1);
    EXPECT_EQ(image.GetColorType(), 2);
    EXPECT_EQ(image.AlphaGet(0, 0), 0);
    image.AlphaSet(0, 0, 5);  // no plane: ignored
    image.AlphaCreate();
    EXPECT_EQ(image.GetColorType(), 4);
    EXPECT_EQ(image.AlphaGet(2, 1), 255);
    image.AlphaSet(2, 1, 17);
    image.AlphaSet(3, 1, 18);  // outside
    EXPECT_EQ(image.AlphaGet(2, 1), 17);
    image.AlphaCreate();  // kept
    EXPECT_EQ(image.AlphaGet(2, 1), 17);
    EXPECT_EQ(image.GetPixelColor(2, 1, true).rgbReserved, 17);
    EXPECT_EQ(image.GetPixelColor(2, 1, false).rgbReserved, 0);
    image.SetPixelColor(1, 1, CxRgbQuad{1, 2, 3, 44}, true);
    EXPECT_EQ(image.AlphaGet(1, 1), 44);
    image.AlphaDelete();
    EXPECT_FALSE(image.AlphaIsValid());
    // Create drops planes.
    image.AlphaCreate();
    image.Create(3, 2, 24, 1);
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST(ImagePlanes, SelectionDeleteResetsTheBox) {
    CxImage image(5, 4, 8, 1);
    EXPECT_TRUE(image.SelectionIsInside(1, 1));
    EXPECT_FALSE(image.SelectionIsInside(5, 1));
    image.SelectionCreate();
    EXPECT_FALSE(image.SelectionIsInside(1, 1));
    image.SelectionSet(1, 1, 1);
    EXPECT_TRUE(image.SelectionIsInside(1, 1));
    image.SelectionDelete();
    const auto& box = image.GetInfo().selectionBox;
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.bottom, 4);
    EXPECT_EQ(box.right, 0);
}

TEST(ImageOwnership, CopyIsDeep) {
    CxImage source(4, 3, 8, 1);
    source.SetPaletteColor(2, 1, 2, 3);
    source.SetPixelIndex(3, 2, 2);
    source.AlphaCreate();
    source.AlphaSet(1, 1, 9);
    source.SetJpegQuality(33);
    CxImage copy(source, true, true, true);
    EXPECT_EQ(copy.GetPixelIndex(3, 2), 2);
    EXPECT_EQ(copy.GetInfo().quality, 33);
    EXPECT_EQ(copy.AlphaGet(1, 1), 9);
    EXPECT_NE(copy.GetDib(), source.GetDib());
    EXPECT_NE(copy.GetAlphaPlane(), source.GetAlphaPlane());
    source.SetPixelIndex(3, 2, 0);
    EXPECT_EQ(copy.GetPixelIndex(3, 2), 2);

    CxImage shell(source, false, false, false);
    EXPECT_EQ(shell.GetPaletteColor(2), (CxRgbQuad{3, 2, 1, 0}));
    EXPECT_EQ(shell.GetPixelIndex(3, 2), 0);
    EXPECT_FALSE(shell.AlphaIsValid());
}

TEST(ImageOwnership, CopyOfAnEmptyImage) {
    CxImage empty(6);
    empty.SetLastErrorText("source text");
    CxImage copy(empty, true, true, true);
    EXPECT_FALSE(copy.IsValid());
    EXPECT_EQ(copy.GetType(), 6u);
    EXPECT_STREQ(copy.GetLastError(), "CxImage::Create : width and height must be greater than zero");
}

TEST(ImageOwnership, TakeOverEmptiesTheSource) {
    CxImage source(4, 3, 24, 5);
    source.AlphaCreate();
    const uint8_t* block = source.GetDib();
    CxImage target(2, 2, 8, 1);
    EXPECT_TRUE(target.TakeOver(source));
    EXPECT_EQ(target.GetDib(), block);
    EXPECT_EQ(target.GetType(), 5u);
    EXPECT_TRUE(target.AlphaIsValid());
    EXPECT_FALSE(source.IsValid());
    EXPECT_FALSE(source.AlphaIsValid());
    EXPECT_EQ(source.GetWidth(), 0u);
}

TEST(ImageOwnership, BorrowedViewNeverFrees) {
    auto source = std::make_unique<CxImage>(4, 3, 24, 1);
    source->SetPixelColor(0, 0, CxRgbQuad{1, 2, 3, 0});
    {
        CxImage view;
        view.BorrowFrom(source.get());
        EXPECT_EQ(view.GetDib(), source->GetDib());
        EXPECT_FALSE(view.Destroy());
        EXPECT_EQ(view.Create(2, 2, 8, 1), nullptr);
        // Writes through the view land in the source's pixels.
        view.SetPixelColor(1, 0, CxRgbQuad{7, 7, 7, 0});
        CxImage other(1, 1, 24, 1);
        EXPECT_FALSE(view.TakeOver(other));
        EXPECT_FALSE(other.TakeOver(view));  // would own the source's block twice
        EXPECT_TRUE(other.IsValid());
    }  // the view's destructor must not free the source's block (ASan would see it)
    EXPECT_EQ(source->GetPixelColor(1, 0).rgbBlue, 7);
    CxImage none;
    none.BorrowFrom(nullptr);
    EXPECT_TRUE(none.Destroy());
}

TEST(ImageOwnership, CopyOptionsOnlyWithoutABlock) {
    CxImage source(6);
    source.SetJpegQuality(12);
    source.SetFrame(3);
    source.SetLastErrorText("old");
    CxImage empty;
    empty.CopyOptions(source);
    EXPECT_EQ(empty.GetType(), 6u);
    EXPECT_EQ(empty.GetFrame(), 3);
    EXPECT_STREQ(empty.GetLastError(), "old");
    CxImage full(1, 1, 8, 1);
    full.CopyOptions(source);
    EXPECT_EQ(full.GetType(), 1u);
    EXPECT_EQ(full.GetInfo().quality, 90);
    // A borrowed source's view flag must not leak into the receiver.
    CxImage backing(1, 1, 8, 1), view, receiver;
    view.BorrowFrom(&backing);
    receiver.CopyOptions(view);
    EXPECT_TRUE(receiver.Create(1, 1, 8, 1));
}

TEST(ImageIterator, RowsOnlyInsideTheImage) {
    CxImage image(4, 3, 8, 1);
    CxImageIterator it(&image);
    EXPECT_EQ(it.GetRowPointer(), image.GetBits(0));
    it.SetRow(2);
    EXPECT_EQ(it.GetRowPointer(), image.GetBits(2));
    it.SetRow(3);
    it.SetRow(-1);
    EXPECT_EQ(it.GetRow(), 2);
    EXPECT_EQ(it.GetRowPointer(), image.GetBits(2));
    CxImage empty;
    CxImageIterator none(&empty);
    none.SetRow(0);
    EXPECT_EQ(none.GetRowPointer(), nullptr);
}

}  // namespace
