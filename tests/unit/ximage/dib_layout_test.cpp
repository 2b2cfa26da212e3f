// The one bitmap layout reader: the header variants, the masks and the
// position of the colour table and the pixels, and the few things a file and
// a clipboard block read differently.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ximage/toolkit/cx_byte_view.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/dib/ximage_dib_layout.h"

namespace {

using cximage::DibLayout;
using cximage::DibMasks;
using cximage::DibSource;
using Bytes = std::vector<uint8_t>;

// An info header of `size` bytes (at least 16) with the given fields; masks
// go at offset 40 when the header has room for them.
Bytes Header(uint32_t size, int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
             const uint32_t* masks = nullptr, uint32_t colours = 0) {
    Bytes b(size < 56 ? 56 : size, 0);
    cximage::StoreU32(&b[0], size);
    cximage::StoreU32(&b[4], static_cast<uint32_t>(width));
    cximage::StoreU32(&b[8], static_cast<uint32_t>(height));
    cximage::StoreU16(&b[12], 1);
    cximage::StoreU16(&b[14], bpp);
    if (size >= 40) {
        cximage::StoreU32(&b[16], compression);
        cximage::StoreU32(&b[32], colours);
    }
    if (masks)
        for (int i = 0; i < 4; ++i) cximage::StoreU32(&b[40 + 4 * i], masks[i]);
    b.resize(size < 40 ? size : b.size());
    return b;
}

bool Parse(const Bytes& b, DibSource source, DibLayout& d) {
    return cximage::ParseDibHeader(CxByteView(b.data(), b.size()), source, d);
}

DibMasks Masks(const Bytes& b, DibSource source, DibLayout& d) {
    return cximage::ParseDibMasks(CxByteView(b.data(), b.size()), source, d);
}

TEST(DibLayout, HeaderSizesEachSourceReads) {
    // (41 and 200 are versions a file reader does not know: see below.)
    struct Case {
        uint32_t size;
        bool file, clipboard;
    };
    const Case cases[] = {{16, true, false},  {40, true, true},  {52, true, true},   {56, true, true},
                          {64, true, true},   {108, true, true}, {124, true, true},  {41, false, true},
                          {20, false, false}, {39, false, false}, {200, false, true}};
    for (const Case& c : cases) {
        const Bytes b = Header(c.size, 4, 2, 24, 0);
        DibLayout d;
        EXPECT_EQ(Parse(b, DibSource::File, d), c.file) << c.size;
        EXPECT_EQ(Parse(b, DibSource::Clipboard, d), c.clipboard) << c.size;
    }
    // A header of an unknown version is believed in a file only over a plain layout.
    Bytes unknown = Header(48, 4, 2, 24, 0);
    DibLayout d;
    EXPECT_FALSE(Parse(unknown, DibSource::File, d));  // biSizeImage 0 is not the rows' size
    cximage::StoreU32(&unknown[20], 12 * 2);  // rows of 12 bytes
    EXPECT_TRUE(Parse(unknown, DibSource::File, d));
    // Bytes that end inside the header.
    const Bytes cut = Header(108, 4, 2, 24, 0);
    EXPECT_FALSE(Parse(Bytes(cut.begin(), cut.begin() + 100), DibSource::Clipboard, d));
    EXPECT_FALSE(Parse(Bytes(cut.begin(), cut.begin() + 100), DibSource::File, d));
}

TEST(DibLayout, CoreHeaderWidensAndHasTripleEntries) {
    Bytes core(12, 0);
    cximage::StoreU32(&core[0], 12);
    cximage::StoreU16(&core[4], 0xFFFF);  // zero-extended, not negative
    cximage::StoreU16(&core[6], 3);
    cximage::StoreU16(&core[10], 8);
    for (DibSource source : {DibSource::File, DibSource::Clipboard}) {
        DibLayout d;
        ASSERT_TRUE(Parse(core, source, d));
        EXPECT_EQ(d.width, 0xFFFF);
        EXPECT_FALSE(d.topDown);
        ASSERT_EQ(Masks(core, source, d), DibMasks::Read);
        EXPECT_EQ(d.entrySize, 3u);
        EXPECT_EQ(d.paletteOffset, 12u);
        EXPECT_EQ(d.bitsOffset, 12u + 256 * 3);
    }
}

TEST(DibLayout, MasksAndWhereThePixelsStart) {
    const uint32_t masks565[4] = {0xF800, 0x7E0, 0x1F, 0};
    // Behind a 40-byte header: three masks, the pixels after them.
    Bytes b = Header(40, 2, -2, 16, 3, masks565);
    DibLayout d;
    ASSERT_TRUE(Parse(b, DibSource::Clipboard, d));
    EXPECT_TRUE(d.topDown);
    EXPECT_EQ(d.height, 2);
    ASSERT_EQ(Masks(b, DibSource::Clipboard, d), DibMasks::Read);
    EXPECT_EQ(d.masks[0], 0xF800u);
    EXPECT_EQ(d.bitsOffset, 52u);
    // Cut before the masks end; and a header with no place for them.
    EXPECT_EQ(Masks(Bytes(b.begin(), b.begin() + 51), DibSource::Clipboard, d), DibMasks::Missing);
    const Bytes odd = Header(44, 2, 2, 16, 3);
    ASSERT_TRUE(Parse(odd, DibSource::Clipboard, d));
    EXPECT_EQ(Masks(odd, DibSource::Clipboard, d), DibMasks::Nowhere);

    // Alpha bitfields (6) are a file's: four masks behind the header.
    const uint32_t argb[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const Bytes alpha = Header(40, 1, 1, 32, 6, argb);
    ASSERT_TRUE(Parse(alpha, DibSource::File, d));
    ASSERT_EQ(Masks(alpha, DibSource::File, d), DibMasks::Read);
    EXPECT_EQ(d.masks[3], 0xFF000000u);
    EXPECT_EQ(d.bitsOffset, 56u);

    // A colour table of biClrUsed entries moves the pixels.
    const Bytes rgbPal = Header(40, 1, 1, 24, 0, nullptr, 3);
    ASSERT_TRUE(Parse(rgbPal, DibSource::File, d));
    ASSERT_EQ(Masks(rgbPal, DibSource::File, d), DibMasks::Read);
    EXPECT_EQ(d.paletteEntries, 3u);
    EXPECT_EQ(d.bitsOffset, 40u + 12);
}

TEST(DibLayout, PlainThirtyTwoBitAlphaOnlyOnTheClipboard) {
    const Bytes b = Header(40, 1, 1, 32, 0);
    DibLayout file, clip;
    ASSERT_TRUE(Parse(b, DibSource::File, file));
    ASSERT_TRUE(Parse(b, DibSource::Clipboard, clip));
    ASSERT_EQ(Masks(b, DibSource::File, file), DibMasks::Read);
    ASSERT_EQ(Masks(b, DibSource::Clipboard, clip), DibMasks::Read);
    EXPECT_EQ(file.masks[3], 0u);
    EXPECT_EQ(clip.masks[3], 0xFF000000u);
    // A version 5 header that names an alpha mask gives it to a file too.
    const uint32_t argb[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const Bytes v5 = Header(124, 1, 1, 32, 0, argb);
    ASSERT_TRUE(Parse(v5, DibSource::File, file));
    ASSERT_EQ(Masks(v5, DibSource::File, file), DibMasks::Read);
    EXPECT_EQ(file.masks[3], 0xFF000000u);
}

}  // namespace
