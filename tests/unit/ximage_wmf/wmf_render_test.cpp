// Drawing over a fake device: the surface is filled with the window colour
// before playing, the metafile's palette is handed over as a logical
// palette, the rows come back at the display's depth, cancelling and every
// failing step give their texts, and nothing is left unreleased.
#include <gtest/gtest.h>

#include <cstdint>

#include "wmf_test_support.h"
#include "ximage/codecs/ximage_wmf.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace {

using namespace qlry::test::wmf;
using qlry::test::FakeRenderDevice;

struct WmfRender : ::testing::Test {
    FakeRenderDevice device;
    CxImageWMF image{&device};
    void SetUp() override { device.emfBounds = {0, 0, 8, 6}; }
    void TearDown() override {
        EXPECT_EQ(device.liveMetafiles, 0);
        EXPECT_EQ(device.liveSurfaces, 0);
    }
};

TEST_F(WmfRender, UndrawnAreasShowTheWindowColour) {
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image));
    EXPECT_TRUE(device.filled);
    EXPECT_TRUE(device.played);
    EXPECT_EQ(image.GetBpp(), 24u);  // a 32-bit display
    EXPECT_TRUE(device.logPalette.empty());
    const CxRgbQuad window{0xF0, 0xE8, 0xE0, 0}, ink{0x10, 0x20, 0x30, 0};
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 8; ++x) {
            // The fake draws the top-left quarter; image rows are bottom-up.
            const bool drawn = x < 4 && y >= 3;
            EXPECT_EQ(image.GetPixelColor(x, y, false), drawn ? ink : window) << x << "," << y;
        }
}

TEST_F(WmfRender, AnEightBitDisplayGivesAPaletteImage) {
    device.bitsPerPixel = 8;
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image));
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_EQ(image.GetNumColors(), 256u);
    EXPECT_EQ(image.GetPixelColor(0, 0), (CxRgbQuad{0xF0, 0xE8, 0xE0, 0}));
    EXPECT_EQ(image.GetPixelColor(0, 5), (CxRgbQuad{0x10, 0x20, 0x30, 0}));
}

TEST_F(WmfRender, TheMetafilesPaletteBecomesALogicalPalette) {
    device.paletteCount = 3;
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image));
    const Bytes expected = {0x00, 0x03, 3, 0, 0, 0, 0, 0, 1, 2, 3, 0, 2, 4, 6, 0};
    EXPECT_EQ(device.logPalette, expected);
}

TEST_F(WmfRender, APaletteThatCannotBeBuiltCancels) {
    device.paletteCount = 0x10000;  // more than a logical palette counts
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), image));
    EXPECT_STREQ(image.GetLastError(), "Cancelled");
    EXPECT_FALSE(device.played);
    device.paletteCount = 0xFFFFFFFF;
    CxImageWMF again(&device);
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), again));
    EXPECT_STREQ(again.GetLastError(), "Cancelled");
}

TEST_F(WmfRender, EscapeBeforeRenderingOrAfterPlayingCancels) {
    image.SetEscape(1);
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), image));
    EXPECT_STREQ(image.GetLastError(), "Cancelled");
    EXPECT_EQ(device.surfaceWidth, 0u);  // nothing was drawn

    CxImageWMF during(&device);
    device.onPlay = [&] { during.SetEscape(1); };
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), during));
    EXPECT_STREQ(during.GetLastError(), "Cancelled");
    EXPECT_TRUE(device.played);
    EXPECT_FALSE(during.IsValid());
}

TEST_F(WmfRender, ASurfaceThatCannotBeMadeFailsWithoutText) {
    device.refuseSurface = true;
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), image));
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_FALSE(image.IsValid());
}

TEST_F(WmfRender, NoRowCopiedIsAFailure) {
    device.rowsRead = 0;
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), image));
    device.rowsRead = 1;
    CxImageWMF one(&device);
    EXPECT_TRUE(DecodeMetafile(SomeEmf(), one));
}

TEST_F(WmfRender, WithoutADeviceMetafilesAreDeclined) {
    CxImageWMF none(nullptr);
    Bytes file = PlaceableWmf({});
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    EXPECT_FALSE(none.Decode(&stream));
    EXPECT_STREQ(none.GetLastError(), "Can't play WMF on this system");
    EXPECT_EQ(stream.Tell(), 0);
}

#ifndef _WIN32
// This build has no metafile player: detection moves on past metafiles and
// a typed load says why it failed.
TEST_F(WmfRender, ThisBuildDeclinesMetafiles) {
    Bytes file = PlaceableWmf({});
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    CxImage detected;
    EXPECT_FALSE(detected.Decode(&stream, CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_STREQ(detected.GetLastError(), "Decode: Unknown or wrong format");
    stream.Seek(0, SEEK_SET);
    CxImage typed;
    EXPECT_FALSE(typed.Decode(&stream, CXIMAGE_FORMAT_WMF));
    EXPECT_STREQ(typed.GetLastError(), "Can't play WMF on this system");
}
#endif

}  // namespace
