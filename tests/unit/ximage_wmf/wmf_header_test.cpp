// The metafile codec's checks and sizes over a fake device: the placeable
// header (key, checksum, units per inch, metafile header, length), the
// conversion picture and its second try, EMF bounds, the 4000-pixel limit,
// the empty and reversed boxes, and the failure texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "wmf_test_support.h"
#include "ximage/codecs/ximage_wmf.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace {

using namespace qlry::test::wmf;
using qlry::test::FakeRenderDevice;

struct WmfHeader : ::testing::Test {
    FakeRenderDevice device;
    CxImageWMF image{&device};
    // Whatever happened, every metafile and surface was given back.
    void TearDown() override {
        EXPECT_EQ(device.liveMetafiles, 0);
        EXPECT_EQ(device.liveSurfaces, 0);
    }
};

TEST_F(WmfHeader, PlaceableBoxAndUnitsGiveTheSizeAtTheScreenResolution) {
    Placeable p;  // (0, 0)-(1440, 720) at 1440 units per inch
    p.records = {5, 0, 0, 0, 1, 2, 3, 0, 0, 0};
    ASSERT_TRUE(DecodeMetafile(PlaceableWmf(p), image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 96u);
    EXPECT_EQ(image.GetHeight(), 48u);
    EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_WMF});
    ASSERT_EQ(device.conversions.size(), 1u);
    const auto& c = device.conversions[0];
    EXPECT_EQ(c.mapMode, 8);
    EXPECT_EQ(c.xExt, 9600);  // 96 and 48, ten times while both stay below 6554
    EXPECT_EQ(c.yExt, 4800);
    // The metafile header and records, without the placeable header.
    const Bytes file = PlaceableWmf(p);
    EXPECT_EQ(c.bytes, Bytes(file.begin() + 22, file.end()));
    EXPECT_EQ(device.emfLoads, 0);

    FakeRenderDevice wide;
    wide.dpiX = 120;
    wide.dpiY = 72;
    CxImageWMF other(&wide);
    p.left = -100;
    p.right = 620;
    p.unitsPerInch = 360;
    p.top = 10;
    p.bottom = 370;
    ASSERT_TRUE(DecodeMetafile(PlaceableWmf(p), other));
    EXPECT_EQ(other.GetWidth(), 240u);  // 720 units * 120 / 360
    EXPECT_EQ(other.GetHeight(), 72u);
    EXPECT_EQ(wide.conversions[0].xExt, 2400 * 10);
    EXPECT_EQ(wide.conversions[0].yExt, 720 * 10);
}

TEST_F(WmfHeader, RefusedPictureIsTriedOnceMoreInTextMode) {
    device.refuseAnisotropic = true;
    ASSERT_TRUE(DecodeMetafile(PlaceableWmf({}), image));
    ASSERT_EQ(device.conversions.size(), 2u);
    EXPECT_EQ(device.conversions[1].mapMode, 1);
    EXPECT_EQ(device.conversions[1].xExt, device.conversions[0].xExt);
    EXPECT_EQ(image.GetWidth(), 96u);
}

TEST_F(WmfHeader, AWmfTheDeviceRefusesTwiceIsTriedAsEmfThenCorrupted) {
    device.refuseWmf = true;
    device.refuseEmf = true;
    const Bytes file = PlaceableWmf({});
    EXPECT_FALSE(DecodeMetafile(file, image));
    EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
    EXPECT_EQ(device.conversions.size(), 2u);
    EXPECT_EQ(device.emfBytes, file);  // the whole stream, from its start
    EXPECT_FALSE(image.IsValid());
}

TEST_F(WmfHeader, BadPlaceableHeadersAreNotTakenAsWmf) {
    std::vector<Placeable> bad(6);
    bad[0].checksumDelta = 1;
    bad[1].unitsPerInch = 0;
    bad[2].unitsPerInch = 2541;
    bad[3].type = 3;
    bad[4].sizeWords = 1000;  // 2000 bytes: more than the stream
    bad[5].type = 0;
    device.refuseEmf = true;
    for (const Placeable& p : bad) {
        CxImageWMF one(&device);
        device.conversions.clear();
        EXPECT_FALSE(DecodeMetafile(PlaceableWmf(p), one));
        EXPECT_STREQ(one.GetLastError(), "corrupted WMF");
        EXPECT_TRUE(device.conversions.empty());
    }
    // Accepted limits: 1 and 2540 units per inch, type 2.
    device.refuseEmf = false;
    Placeable edge;
    edge.unitsPerInch = 2540;
    edge.type = 2;
    edge.right = 2540;
    edge.bottom = 254;
    CxImageWMF fine(&device);
    const int loadsBefore = device.emfLoads;
    ASSERT_TRUE(DecodeMetafile(PlaceableWmf(edge), fine));
    EXPECT_EQ(device.emfLoads, loadsBefore);
    EXPECT_EQ(fine.GetWidth(), 96u);
    EXPECT_EQ(fine.GetHeight(), 9u);
}

TEST_F(WmfHeader, ABadPlaceableHeaderCanStillBeAnEmf) {
    Placeable p;
    p.unitsPerInch = 0;
    device.emfBounds = {10, 20, 210, 120};
    ASSERT_TRUE(DecodeMetafile(PlaceableWmf(p), image));
    EXPECT_EQ(device.emfLoads, 1);
    EXPECT_EQ(image.GetWidth(), 200u);
    EXPECT_EQ(image.GetHeight(), 100u);
}

TEST_F(WmfHeader, ShortFilesAndWmfWithoutPlaceableHeaderAreCorrupted) {
    device.refuseEmf = true;
    const Bytes file = PlaceableWmf({});
    qlry::test::ForEachTruncation(file, {0, 10, 21, 22, 39, file.size() - 1}, [&](const Bytes& prefix, size_t) {
        CxImageWMF one(&device);
        EXPECT_FALSE(DecodeMetafile(prefix, one));
        EXPECT_STREQ(one.GetLastError(), "corrupted WMF");
    });
    CxImageWMF bare(&device);
    EXPECT_FALSE(DecodeMetafile(Bytes(file.begin() + 22, file.end()), bare));
    EXPECT_STREQ(bare.GetLastError(), "corrupted WMF");
}

TEST_F(WmfHeader, EmfBoundsGiveTheSize) {
    device.emfBounds = {10, 20, 210, 120};
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image));
    EXPECT_EQ(image.GetWidth(), 200u);
    EXPECT_EQ(image.GetHeight(), 100u);
    EXPECT_EQ(device.emfBytes, SomeEmf());

    // A header that cannot be read releases the metafile and fails.
    device.refuseHeader = true;
    CxImageWMF noHeader(&device);
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), noHeader));
    EXPECT_STREQ(noHeader.GetLastError(), "corrupted WMF");
}

TEST_F(WmfHeader, TheLongerSideIsLimitedTo4000) {
    struct Case {
        CxMetafileBounds bounds;
        uint32_t width, height;
    };
    for (const Case& c : {Case{{0, 0, 8000, 2000}, 4000, 1000}, Case{{0, 0, 3000, 9000}, 1333, 4000},
                          Case{{0, 0, 4000, 4000}, 4000, 4000}, Case{{0, 0, 5000, 20000}, 1000, 4000}}) {
        device.emfBounds = c.bounds;
        CxImageWMF one(&device);
        ASSERT_TRUE(DecodeMetafile(SomeEmf(), one));
        EXPECT_EQ(one.GetWidth(), c.width) << c.bounds.right << "x" << c.bounds.bottom;
        EXPECT_EQ(one.GetHeight(), c.height);
        EXPECT_EQ(device.surfaceWidth, c.width);
    }
}

TEST_F(WmfHeader, OverridesReplaceTheComputedSizeBeforeTheLimit) {
    device.emfBounds = {0, 0, 300, 200};
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image, 50, 0));
    EXPECT_EQ(image.GetWidth(), 50u);
    EXPECT_EQ(image.GetHeight(), 200u);
    CxImageWMF big(&device);
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), big, 9000, 90));
    EXPECT_EQ(big.GetWidth(), 4000u);
    EXPECT_EQ(big.GetHeight(), 40u);
}

TEST_F(WmfHeader, EmptyAndReversedBoxesAreEmpty) {
    // An empty box: the extents cannot grow, and the scaling must still end.
    Placeable empty;
    empty.right = 0;
    empty.bottom = 0;
    EXPECT_FALSE(DecodeMetafile(PlaceableWmf(empty), image));
    EXPECT_STREQ(image.GetLastError(), "empty WMF");
    ASSERT_EQ(device.conversions.size(), 1u);
    EXPECT_EQ(device.conversions[0].xExt, 0);
    EXPECT_EQ(device.conversions[0].yExt, 0);

    // One side empty: the other grows as usual, the image is still empty.
    Placeable flat;
    flat.bottom = 0;
    CxImageWMF one(&device);
    EXPECT_FALSE(DecodeMetafile(PlaceableWmf(flat), one));
    EXPECT_STREQ(one.GetLastError(), "empty WMF");
    EXPECT_EQ(device.conversions.back().xExt, 9600);

    // Reversed boxes, and a tiny one whose divisions give 0.
    Placeable reversed;
    reversed.left = 1440;
    reversed.right = 0;
    CxImageWMF two(&device);
    EXPECT_FALSE(DecodeMetafile(PlaceableWmf(reversed), two));
    EXPECT_STREQ(two.GetLastError(), "empty WMF");
    EXPECT_EQ(device.conversions.back().xExt, -9600);
    Placeable tiny;
    tiny.right = 1;
    tiny.bottom = 1;
    CxImageWMF three(&device);
    EXPECT_FALSE(DecodeMetafile(PlaceableWmf(tiny), three));
    EXPECT_STREQ(three.GetLastError(), "empty WMF");

    device.emfBounds = {50, 50, 50, 80};
    CxImageWMF four(&device);
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), four));
    EXPECT_STREQ(four.GetLastError(), "empty WMF");
}

TEST_F(WmfHeader, BoundsWiderThanAnIntAreLimitedWithoutOverflow) {
    device.emfBounds = {INT32_MIN, 0, INT32_MAX, INT32_MAX};
    ASSERT_TRUE(DecodeMetafile(SomeEmf(), image));
    EXPECT_EQ(image.GetWidth(), 4000u);
    EXPECT_EQ(image.GetHeight(), 1999u);
}

TEST_F(WmfHeader, SliversThatRoundToNothingAreEmpty) {
    device.emfBounds = {0, 0, 100000, 2};  // 4000 x 0 after the limit
    EXPECT_FALSE(DecodeMetafile(SomeEmf(), image));
    EXPECT_STREQ(image.GetLastError(), "empty WMF");
    EXPECT_EQ(device.surfaceWidth, 0u);
}

TEST_F(WmfHeader, APlaceableWmfInsideALargerStreamIsReadFromItsStart) {
    Bytes bytes(7, 0xEE);
    const Bytes file = PlaceableWmf({});
    bytes.insert(bytes.end(), file.begin(), file.end());
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.Seek(7, SEEK_SET);
    ASSERT_TRUE(image.Decode(&stream));
    EXPECT_EQ(device.conversions[0].bytes, Bytes(file.begin() + 22, file.end()));
}

TEST_F(WmfHeader, EncodeNeverWrites) {
    CxMemStream stream;
    stream.Open();
    EXPECT_FALSE(image.Encode(&stream));
    EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");
    EXPECT_EQ(stream.Size(), 0);
    CxImageWMF quiet(&device);
    EXPECT_FALSE(quiet.Encode(nullptr));
    EXPECT_STREQ(quiet.GetLastError(), "");

    // Through the library, with the encoder's text.
    CxImage picture;
    ASSERT_NE(picture.Create(4, 4, 24), nullptr);
    EXPECT_FALSE(picture.Encode(&stream, CXIMAGE_FORMAT_WMF));
    EXPECT_STREQ(picture.GetLastError(), "Save WMF not supported");
    EXPECT_EQ(stream.Size(), 0);
}

}  // namespace
