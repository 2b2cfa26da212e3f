// Flips, mirrors, quarter turns and colour inversion.
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FillTestPicture;
using qlry::test::Opacity;
using qlry::test::SamePicture;

void FillAlpha(CxImage& image) {
    image.AlphaCreate();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            image.AlphaSet(x, y, static_cast<uint8_t>(x * 13 + y * 29));
}

class TransformAllDepths : public ::testing::TestWithParam<uint32_t> {};

// Flip reverses the order of the rows, Mirror the pixels within each row;
// either one twice gives the original back.
TEST_P(TransformAllDepths, FlipAndMirrorMoveEveryPixelAndAlpha) {
    struct Case {
        const char* name;
        uint32_t width, height;
        bool flip;  // else mirror
    };
    // A wrong pixel ends its own case only (the first one found is enough).
    const auto check = [](const Case& c) {
        CxImage image(c.width, c.height, GetParam(), 1);
        FillTestPicture(image);
        FillAlpha(image);
        CxImage original(image, true, true, true);
        ASSERT_TRUE(c.flip ? image.Flip() : image.Mirror());
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t x = 0; x < c.width; ++x) {
                const uint32_t fromX = c.flip ? x : c.width - 1 - x, fromY = c.flip ? c.height - 1 - y : y;
                ASSERT_EQ(image.GetPixelColor(x, y), original.GetPixelColor(fromX, fromY)) << x << "," << y;
            }
        ASSERT_TRUE(c.flip ? image.Flip() : image.Mirror());
        EXPECT_TRUE(SamePicture(image, original, Opacity::SamePlanes));
    };
    for (const Case c : {Case{"Flip", 7, 5, true}, Case{"Mirror", 9, 3, false}}) {
        SCOPED_TRACE(c.name);
        check(c);
    }
}

TEST_P(TransformAllDepths, RotationsMapPixelsAndUndoEachOther) {
    // Wider than one tile in both directions, with ragged edges.
    const uint32_t width = 131, height = 70;
    CxImage image(width, height, GetParam(), 1);
    FillTestPicture(image);
    FillAlpha(image);
    CxImage original(image, true, true, true);

    ASSERT_TRUE(image.RotateLeft());
    ASSERT_EQ(image.GetWidth(), height);
    ASSERT_EQ(image.GetHeight(), width);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(image.GetPixelColor(height - 1 - y, x), original.GetPixelColor(x, y)) << x << "," << y;
    EXPECT_EQ(image.GetNumColors(), original.GetNumColors());

    ASSERT_TRUE(image.RotateRight());
    EXPECT_TRUE(SamePicture(image, original, Opacity::SamePlanes));

    CxImage turned;
    ASSERT_TRUE(image.RotateRight(&turned));
    EXPECT_EQ(image.GetWidth(), width);  // source untouched when a target is given
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(turned.GetPixelColor(y, width - 1 - x), original.GetPixelColor(x, y)) << x << "," << y;
    // Progress is 100 x column / new width after each target column, so the
    // last column (height - 1 of the turned image's width) leaves it below 100;
    // the 1-bit path reports none.
    EXPECT_EQ(image.GetProgress(), GetParam() == 1 ? 0 : static_cast<int32_t>(100 * (height - 1) / height));
}

INSTANTIATE_TEST_SUITE_P(Depths, TransformAllDepths, ::testing::Values(1u, 4u, 8u, 24u));

TEST(Transform, SmallCasesFromTheRules) {
    CxImage column(1, 3, 8, 1);
    for (int y = 0; y < 3; ++y) column.SetPixelIndex(0, y, static_cast<uint8_t>(y));
    column.Flip();
    EXPECT_EQ(column.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(column.GetPixelIndex(0, 2), 0);

    CxImage nibbles(3, 1, 4, 1);
    for (int x = 0; x < 3; ++x) nibbles.SetPixelIndex(x, 0, static_cast<uint8_t>(x + 1));
    nibbles.Mirror();
    EXPECT_EQ(nibbles.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(nibbles.GetPixelIndex(2, 0), 1);

    CxImage small(3, 2, 8, 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) small.SetPixelIndex(x, y, static_cast<uint8_t>(10 * x + y));
    CxImage left, right;
    small.RotateLeft(&left);
    small.RotateRight(&right);
    EXPECT_EQ(left.GetWidth(), 2u);
    EXPECT_EQ(left.GetHeight(), 3u);
    EXPECT_EQ(left.GetPixelIndex(0, 0), small.GetPixelIndex(0, 1));
    EXPECT_EQ(right.GetPixelIndex(0, 0), small.GetPixelIndex(2, 0));
}

TEST(Transform, ProgressOfTheLastColumn) {
    // Three target columns: 0, 33, 66 -- the value after the last one stays.
    CxImage image(4, 3, 8, 1);
    CxImage turned;
    ASSERT_TRUE(image.RotateLeft(&turned));
    EXPECT_EQ(image.GetProgress(), 66);
    CxImage wide(2, 130, 24, 1);  // 130 target columns over three tiles
    ASSERT_TRUE(wide.RotateRight(&turned));
    EXPECT_EQ(wide.GetProgress(), 100 * 129 / 130);
}

TEST_P(TransformAllDepths, FlipAndMirrorDropTheSelection) {
    for (const bool flip : {true, false}) {
        CxImage image(5, 4, GetParam(), 1);
        image.SelectionCreate();
        image.SelectionSet(0, 0, 1);
        ASSERT_TRUE(flip ? image.Flip() : image.Mirror());
        // No plane: every pixel counts as selected again, and the box is reset
        // to left = width, top = 0, right = 0, bottom = height.
        EXPECT_FALSE(image.SelectionIsValid());
        EXPECT_TRUE(image.SelectionIsInside(4, 3));
        const auto& box = image.GetInfo().selectionBox;
        EXPECT_EQ(box.left, 5);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, 0);
        EXPECT_EQ(box.bottom, 4);
    }
}

TEST(Transform, RotationKeepsOptionsAndResolution) {
    CxImage image(5, 2, 24, 3);
    image.SetXDpi(300);
    image.SetJpegQuality(40);
    ASSERT_TRUE(image.RotateLeft());
    EXPECT_EQ(image.GetType(), 3u);
    EXPECT_EQ(image.GetXDpi(), 300);
    EXPECT_EQ(image.GetInfo().quality, 40);
}

TEST(Transform, EmptyImagesRefuse) {
    CxImage empty;
    EXPECT_FALSE(empty.Flip());
    EXPECT_FALSE(empty.Mirror());
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.RotateRight());
    EXPECT_FALSE(empty.Negative());
    EXPECT_FALSE(empty.AlphaFlip());
    EXPECT_FALSE(empty.IsValid());
    CxImage noAlpha(2, 2, 24, 1);
    EXPECT_FALSE(noAlpha.AlphaFlip());
    EXPECT_FALSE(noAlpha.AlphaMirror());
}

TEST(Negative, GrayRampInvertsIndexesOtherPalettesInvertEntries) {
    CxImage gray(4, 1, 8, 1);
    gray.SetGrayPalette();
    gray.SetPixelIndex(1, 0, 10);
    ASSERT_TRUE(gray.Negative());
    EXPECT_EQ(gray.GetPixelIndex(1, 0), 245);
    EXPECT_EQ(gray.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(gray.GetPaletteColor(10).rgbRed, 10);

    CxImage colored(4, 1, 8, 1);
    colored.SetPaletteColor(0, 10, 20, 30);
    colored.SetPixelIndex(1, 0, 0);
    ASSERT_TRUE(colored.Negative());
    EXPECT_EQ(colored.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(colored.GetPaletteColor(0), (CxRgbQuad{225, 235, 245, 0}));

    CxImage bits(3, 1, 1, 1);
    bits.SetGrayPalette();  // 0, 255: not the identity ramp, so the palette flips
    ASSERT_TRUE(bits.Negative());
    EXPECT_EQ(bits.GetPaletteColor(0).rgbRed, 255);
}

TEST(Negative, RgbInvertsPixelsAndTransColor) {
    CxImage image(2, 2, 24, 1);
    image.SetPixelColor(1, 1, CxRgbQuad{0, 100, 255, 0});
    image.SetTransColor(CxRgbQuad{30, 20, 10, 0});
    ASSERT_TRUE(image.Negative());
    EXPECT_EQ(image.GetPixelColor(1, 1), (CxRgbQuad{255, 155, 0, 0}));
    EXPECT_EQ(image.GetTransColor(), (CxRgbQuad{225, 235, 245, 0}));
}

TEST(Negative, SelectionLimitsTheChange) {
    CxImage image(3, 3, 24, 1);
    image.SelectionCreate();
    image.SelectionSet(1, 1, 1);
    ASSERT_TRUE(image.Negative());
    EXPECT_EQ(image.GetPixelColor(1, 1).rgbRed, 255);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(image.GetPixelColor(2, 1).rgbRed, 0);

    CxImage gray(3, 1, 8, 1);
    gray.SetGrayPalette();
    gray.SelectionCreate();
    gray.SelectionSet(2, 0, 1);
    ASSERT_TRUE(gray.Negative());
    EXPECT_EQ(gray.GetPixelIndex(2, 0), 255);
    EXPECT_EQ(gray.GetPixelIndex(0, 0), 0);
}

}  // namespace

#include "ximage/ximage_mirror_row.h"

namespace {

// Every way of reversing a 24-bit row agrees with the plain one, for widths
// around each variant's group size and at the end of an exact-size buffer.
TEST(MirrorRow, VariantsAgreeAtEveryWidth) {
    for (uint32_t width = 1; width <= 41; ++width) {
        std::vector<uint8_t> row(3 * size_t{width});  // exact: ASan flags any read past the row
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 7 + 1);
        std::vector<uint8_t> expected(row.size());
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) expected[3 * x + c] = row[3 * (width - 1 - x) + c];

        std::vector<uint8_t> scratch(row.size() + cximage::kScratchSlack);
        cximage::MirrorRow24Words(row.data(), scratch.data(), width);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), scratch.begin())) << "words " << width;
#ifdef QLRY_MIRROR_SSSE3
        if (cximage::HasSsse3()) {
            std::fill(scratch.begin(), scratch.end(), 0);
            cximage::MirrorRow24Ssse3(row.data(), scratch.data(), width);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), scratch.begin())) << "ssse3 " << width;
        }
#endif
        std::vector<uint8_t> swapped = row;
        cximage::MirrorRow24Swap(swapped.data(), width);
        EXPECT_EQ(swapped, expected) << "swap " << width;
        cximage::MirrorRow24(row.data(), scratch.data(), width);
        EXPECT_EQ(row, expected) << "row " << width;
    }
}

}  // namespace
