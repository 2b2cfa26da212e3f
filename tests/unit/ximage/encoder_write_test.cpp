// Every own encoder reports a write the stream refused as a failure: a disk
// that fills up mid-file must not be taken for a saved picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/full_disk_stream.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FullDiskStream;

struct EncoderCase {
    uint32_t format;
    uint32_t bpp;
    const char* error = nullptr;  // the codec's text for a failed write; null: any text
};

size_t EncodedSize(CxImage& image, uint32_t format) {
    CxMemStream stream;
    EXPECT_TRUE(stream.Open());
    EXPECT_TRUE(image.Encode(&stream, format)) << image.GetLastError();
    return static_cast<size_t>(stream.Size());
}

TEST(EncoderWrites, ARefusedWriteIsAFailure) {
    const char* gif = "Write Error in GIF file";
    const char* ico = "ICO write failed";
    const char* webp = "WebP write failed";
    const EncoderCase cases[] = {
        {CXIMAGE_FORMAT_BMP, 24}, {CXIMAGE_FORMAT_BMP, 8},       {CXIMAGE_FORMAT_TGA, 24},
        {CXIMAGE_FORMAT_TGA, 8},  {CXIMAGE_FORMAT_PCX, 24},      {CXIMAGE_FORMAT_PCX, 1},
        {CXIMAGE_FORMAT_PCX, 4},  {CXIMAGE_FORMAT_WBMP, 1},      {CXIMAGE_FORMAT_GIF, 1, gif},
        {CXIMAGE_FORMAT_GIF, 4, gif}, {CXIMAGE_FORMAT_GIF, 8, gif}, {CXIMAGE_FORMAT_GIF, 24, gif},
        {CXIMAGE_FORMAT_ICO, 1, ico}, {CXIMAGE_FORMAT_ICO, 4, ico}, {CXIMAGE_FORMAT_ICO, 8, ico},
        {CXIMAGE_FORMAT_ICO, 24, ico}, {CXIMAGE_FORMAT_WEBP, 24, webp}, {CXIMAGE_FORMAT_WEBP, 8, webp},
        {CXIMAGE_FORMAT_WEBP, 1, webp},
    };
    for (const EncoderCase& c : cases) {
        CxImage image(37, 23, c.bpp);
        ASSERT_TRUE(image.IsValid());
        for (uint32_t y = 0; y < 23; ++y)
            for (uint32_t x = 0; x < 37; ++x) image.SetPixelColorRef(x, y, (x * 7 + y * 13) * 0x010305u);
        const size_t full = EncodedSize(image, c.format);
        ASSERT_GT(full, 4u);
        for (const bool reportsError : {true, false})
            for (const size_t limit : {size_t{0}, size_t{1}, size_t{3}, full / 2, full - 1}) {
                FullDiskStream stream(limit, reportsError);
                image.SetLastErrorText("");
                const std::string where = std::to_string(c.format) + " bpp " + std::to_string(c.bpp) + " limit " +
                                          std::to_string(limit) + (reportsError ? "" : " quiet");
                EXPECT_FALSE(image.Encode(&stream, c.format)) << where;
                if (c.error) EXPECT_STREQ(image.GetLastError(), c.error) << where;
                else EXPECT_STRNE(image.GetLastError(), "") << where;
            }
        FullDiskStream roomy(full);
        EXPECT_TRUE(image.Encode(&roomy, c.format)) << c.format << " bpp " << c.bpp;
    }
}

// An icon with an alpha plane is written as 32-bit rows, one write per row.
TEST(EncoderWrites, ARefusedRowOfA32BitIconIsAFailure) {
    CxImage image(20, 9, 24);
    image.AlphaCreate();
    for (uint32_t x = 0; x < 20; ++x) image.AlphaSet(x, 4, static_cast<uint8_t>(x * 12));
    const size_t full = EncodedSize(image, CXIMAGE_FORMAT_ICO);
    for (const size_t limit : {size_t{62}, full / 2, full - 1}) {
        FullDiskStream stream(limit, false);
        EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_ICO)) << limit;
        EXPECT_STREQ(image.GetLastError(), "ICO write failed") << limit;
    }
}

}  // namespace
