// Resolution on decode and encode: the JFIF density in its units, the EXIF
// resolution that takes precedence over it, and the density written.
#include <gtest/gtest.h>

#include <cmath>

#include "jpeg_test_support.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

using namespace jpegtest;

namespace {

Bytes SmallJpeg() {
    CxImage source;
    MakeColourPicture(source, 16, 8);
    return EncodeBytes(source, CXIMAGE_FORMAT_JPG);
}

struct Dpi {
    int32_t x, y;
};

Dpi DecodedDpi(const Bytes& jpeg) {
    CxImage image;
    EXPECT_TRUE(DecodeBytes(jpeg, image, CXIMAGE_FORMAT_JPG)) << image.GetLastError();
    return {image.GetXDpi(), image.GetYDpi()};
}

TEST(JpegResolution, EncodeWritesDotsPerInchAndDecodeReadsThem) {
    CxImage source;
    MakeColourPicture(source, 16, 8);
    source.SetXDpi(300);
    source.SetYDpi(150);
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    ASSERT_GT(jpeg.size(), 18u);
    EXPECT_EQ(jpeg[13], 1);  // unit: dots per inch
    const Dpi dpi = DecodedDpi(jpeg);
    EXPECT_EQ(dpi.x, 300);
    EXPECT_EQ(dpi.y, 150);
}

TEST(JpegResolution, JfifDotsPerCentimetreAreConverted) {
    for (uint16_t density : {28, 1, 118, 500}) {
        Bytes jpeg = SmallJpeg();
        SetJfifDensity(jpeg, 2, density, static_cast<uint16_t>(density + 1));
        const Dpi dpi = DecodedDpi(jpeg);
        EXPECT_EQ(dpi.x, static_cast<int32_t>(std::floor(density * 2.54 + 0.5))) << density;
        EXPECT_EQ(dpi.y, static_cast<int32_t>(std::floor((density + 1) * 2.54 + 0.5))) << density;
    }
}

TEST(JpegResolution, JfifDotsPerInchAreTakenAsTheyAre) {
    Bytes jpeg = SmallJpeg();
    SetJfifDensity(jpeg, 1, 72, 144);
    const Dpi dpi = DecodedDpi(jpeg);
    EXPECT_EQ(dpi.x, 72);
    EXPECT_EQ(dpi.y, 144);
}

TEST(JpegResolution, AspectRatioOnlyOrZeroDensityKeepsTheDefault) {
    const CxImage fresh;
    for (uint8_t unit : {0, 1}) {
        for (uint16_t density : {0, 1, 3}) {
            if (unit == 1 && density != 0) continue;
            Bytes jpeg = SmallJpeg();
            SetJfifDensity(jpeg, unit, density, density);
            const Dpi dpi = DecodedDpi(jpeg);
            EXPECT_EQ(dpi.x, fresh.GetXDpi()) << int{unit} << " " << density;
            EXPECT_EQ(dpi.y, fresh.GetYDpi()) << int{unit} << " " << density;
        }
    }
}

Bytes WithExif(bool motorola, uint32_t xNum, uint32_t xDen, uint32_t yNum, uint32_t yDen, uint16_t unit) {
    Bytes jpeg = SmallJpeg();
    SetJfifDensity(jpeg, 1, 72, 72);
    InsertSegment(jpeg, 0xE1,
                  MakeExifBody(motorola, {{282, 5, 1, Rational(motorola, xNum, xDen)},
                                          {283, 5, 1, Rational(motorola, yNum, yDen)},
                                          {296, 3, 1, Short(motorola, unit)}}));
    return jpeg;
}

TEST(JpegResolution, ExifResolutionWinsOverJfif) {
    for (bool motorola : {false, true}) {
        const Dpi dpi = DecodedDpi(WithExif(motorola, 300, 1, 600, 2, 2));
        EXPECT_EQ(dpi.x, 300) << motorola;
        EXPECT_EQ(dpi.y, 300) << motorola;
    }
}

TEST(JpegResolution, ExifCentimetresAreTruncatedToWholeDots) {
    const Dpi dpi = DecodedDpi(WithExif(false, 11811, 100, 200, 1, 3));
    EXPECT_EQ(dpi.x, static_cast<int32_t>(118.11f / 0.3937008f));
    EXPECT_EQ(dpi.y, static_cast<int32_t>(200.0f / 0.3937008f));
    EXPECT_LT(dpi.x, 300);  // truncated, not rounded
}

TEST(JpegResolution, ExifMillimetresAndMicrometres) {
    EXPECT_EQ(DecodedDpi(WithExif(true, 10, 1, 10, 1, 4)).x, static_cast<int32_t>(10.0f / 0.03937008f));
    EXPECT_EQ(DecodedDpi(WithExif(true, 1, 100, 1, 100, 5)).x, static_cast<int32_t>(0.01f / 0.00003937008f));
}

TEST(JpegResolution, ExifWithoutUsableResolutionFallsBackToJfif) {
    // Zero denominators, and a unit code outside the table.
    for (const Bytes& jpeg : {WithExif(false, 300, 0, 300, 0, 2), WithExif(false, 300, 1, 300, 1, 9)}) {
        const Dpi dpi = DecodedDpi(jpeg);
        EXPECT_EQ(dpi.x, 72);
        EXPECT_EQ(dpi.y, 72);
    }
}

TEST(JpegResolution, MalformedExifLeavesTheDecodeAlone) {
    Bytes jpeg = SmallJpeg();
    SetJfifDensity(jpeg, 1, 50, 60);
    Bytes body = MakeExifBody(false, {{282, 5, 1, Rational(false, 300, 1)}, {296, 3, 1, Short(false, 2)}});
    body[6] = 'X';  // byte order mark broken
    InsertSegment(jpeg, 0xE1, body);
    CxImageJPG codec;
    CxMemStream stream(jpeg.data(), static_cast<int32_t>(jpeg.size()));
    ASSERT_TRUE(codec.Decode(&stream)) << codec.GetLastError();
    EXPECT_FALSE(codec.GetExifInfo().isExif);
    ASSERT_NE(codec.GetExifReader(), nullptr);
    EXPECT_STREQ(codec.GetExifReader()->GetLastError(), "Invalid Exif alignment marker.");
    EXPECT_EQ(codec.GetXDpi(), 50);
    EXPECT_EQ(codec.GetYDpi(), 60);
}

}  // namespace
