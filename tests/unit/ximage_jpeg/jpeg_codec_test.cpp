// CxImageJPG on pictures made here: encode/decode round trips in colour and
// grey, quality, scaling, the dimension probe, cancelling, CMYK input, and
// the failure texts of the codec and of libjpeg.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "jpeg_test_support.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

using namespace jpegtest;

namespace {

TEST(JpegRoundTrip, ColourComesBackCloseAndRightWayUp) {
    CxImage source;
    MakeColourPicture(source, 67, 41);  // odd sizes: partial blocks and row padding
    // A marker pixel block in the top-left corner catches flipped or mirrored rows.
    for (uint32_t y = 33; y < 41; ++y)
        for (uint32_t x = 0; x < 8; ++x) source.SetPixelColor(x, y, CxRgbQuad{0, 0, 255, 0});
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    ASSERT_FALSE(jpeg.empty()) << source.GetLastError();
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);

    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(jpeg, decoded, CXIMAGE_FORMAT_JPG)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetType(), static_cast<uint32_t>(CXIMAGE_FORMAT_JPG));
    ASSERT_EQ(decoded.GetWidth(), source.GetWidth());
    ASSERT_EQ(decoded.GetHeight(), source.GetHeight());
    EXPECT_EQ(decoded.GetBpp(), 24u);
    EXPECT_EQ(decoded.GetNumColors(), 0u);
    EXPECT_LT(MeanDifference(source, decoded), 3.0);
    const CxRgbQuad corner = decoded.GetPixelColor(3, 37, false);
    EXPECT_GT(corner.rgbRed, 200);
    EXPECT_LT(corner.rgbBlue, 60);
    const CxRgbQuad far = decoded.GetPixelColor(60, 3, false);
    EXPECT_LT(far.rgbRed, 220);  // the marker did not move to another corner
}

TEST(JpegRoundTrip, GreyWritesOneComponentAndDecodesToGreyPalette) {
    CxImage source;
    MakeGreyPicture(source, 33, 20);
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    ASSERT_FALSE(jpeg.empty()) << source.GetLastError();

    CxImageJPG decoded;
    Bytes exact(jpeg);
    CxMemStream stream(exact.data(), static_cast<int32_t>(exact.size()));
    ASSERT_TRUE(decoded.Decode(&stream)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetExifInfo().frameComponents, 1u);
    EXPECT_EQ(decoded.GetBpp(), 8u);
    EXPECT_EQ(decoded.GetNumColors(), 256u);
    EXPECT_TRUE(decoded.IsGrayScale());
    EXPECT_LT(MeanDifference(source, decoded), 2.0);
}

TEST(JpegRoundTrip, GreyPaletteOfFourBitsIsWidened) {
    CxImage source;
    source.Create(9, 5, 4, CXIMAGE_FORMAT_BMP);
    for (uint8_t i = 0; i < 16; ++i) source.SetPaletteColor(i, i, i, i);  // identity: index = level
    for (uint32_t x = 0; x < 9; ++x)
        for (uint32_t y = 0; y < 5; ++y) source.SetPixelIndex(x, y, static_cast<uint8_t>(x));
    ASSERT_TRUE(source.IsGrayScale());
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    ASSERT_FALSE(jpeg.empty()) << source.GetLastError();
    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(jpeg, decoded, CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(decoded.GetBpp(), 8u);
    EXPECT_LE(MaxDifference(source, decoded), 3);
}

TEST(JpegRoundTrip, QualityChangesSizeAndFidelity) {
    CxImage source;
    MakeColourPicture(source, 96, 64);
    for (uint32_t y = 0; y < 64; y += 2)
        for (uint32_t x = 0; x < 96; x += 3) source.SetPixelColor(x, y, CxRgbQuad{255, 255, 255, 0});
    source.SetJpegQuality(20);
    const Bytes low = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    source.SetJpegQuality(95);
    const Bytes high = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    ASSERT_FALSE(low.empty());
    ASSERT_FALSE(high.empty());
    EXPECT_LT(low.size(), high.size());
    CxImage lowImage, highImage;
    ASSERT_TRUE(DecodeBytes(low, lowImage, CXIMAGE_FORMAT_JPG));
    ASSERT_TRUE(DecodeBytes(high, highImage, CXIMAGE_FORMAT_JPG));
    EXPECT_LT(MeanDifference(source, highImage), MeanDifference(source, lowImage));
}

TEST(JpegRoundTrip, DecodeByDetectionFindsJpeg) {
    CxImage source;
    MakeColourPicture(source, 16, 16);
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(jpeg, decoded, CXIMAGE_FORMAT_UNKNOWN)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetType(), static_cast<uint32_t>(CXIMAGE_FORMAT_JPG));
}

// jpegScale travels in the options record; a test codec sets it directly.
struct ScaledJpg : CxImageJPG {
    void SetScale(uint8_t scale) { info.jpegScale = scale; }
};

TEST(JpegDecodeOptions, ScaleDenominatorsShrinkThePicture) {
    CxImage source;
    MakeColourPicture(source, 80, 48);
    const Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    for (uint8_t scale : {0, 1, 2, 4, 8, 3}) {
        Bytes exact(jpeg);
        CxMemStream stream(exact.data(), static_cast<int32_t>(exact.size()));
        ScaledJpg codec;
        codec.SetScale(scale);
        ASSERT_TRUE(codec.Decode(&stream)) << codec.GetLastError();
        const uint32_t denominator = (scale == 2 || scale == 4 || scale == 8) ? scale : 1;
        EXPECT_EQ(codec.GetWidth(), (80 + denominator - 1) / denominator) << int{scale};
        EXPECT_EQ(codec.GetHeight(), (48 + denominator - 1) / denominator) << int{scale};
    }
}

TEST(JpegDecodeOptions, DimensionProbeCreatesNoPixels) {
    CxImage source;
    MakeColourPicture(source, 37, 19);
    Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    CxImageJPG probe;
    probe.SetEscape(-1);
    CxMemStream stream(jpeg.data(), static_cast<int32_t>(jpeg.size()));
    ASSERT_TRUE(probe.Decode(&stream));
    EXPECT_EQ(probe.GetWidth(), 37u);
    EXPECT_EQ(probe.GetHeight(), 19u);
    EXPECT_FALSE(probe.IsValid());
}

TEST(JpegDecodeOptions, EscapeCancelsWithoutAnImage) {
    CxImage source;
    MakeColourPicture(source, 24, 24);
    Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    CxImageJPG codec;
    codec.SetEscape(1);
    CxMemStream stream(jpeg.data(), static_cast<int32_t>(jpeg.size()));
    EXPECT_FALSE(codec.Decode(&stream));
    EXPECT_FALSE(codec.IsValid());
}

TEST(JpegDecode, CmykIsMultipliedDownToRgb) {
    // Inverted (Adobe) samples as stored: c, m, y, k with k = 255 meaning no black.
    const uint8_t cmyk[4] = {200, 100, 50, 180};
    const Bytes jpeg = MakeCmykJpeg(16, 16, cmyk);
    ASSERT_FALSE(jpeg.empty());
    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(jpeg, decoded, CXIMAGE_FORMAT_JPG)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetBpp(), 24u);
    const CxRgbQuad p = decoded.GetPixelColor(8, 8, false);
    EXPECT_NEAR(p.rgbRed, cmyk[0] * cmyk[3] / 255, 3);
    EXPECT_NEAR(p.rgbGreen, cmyk[1] * cmyk[3] / 255, 3);
    EXPECT_NEAR(p.rgbBlue, cmyk[2] * cmyk[3] / 255, 3);
}

TEST(JpegDecode, TruncatedEntropyDataStillDecodes) {
    CxImage source;
    MakeColourPicture(source, 64, 64);
    Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    jpeg.resize(jpeg.size() * 3 / 4);
    CxImage decoded;
    ASSERT_TRUE(DecodeBytes(jpeg, decoded, CXIMAGE_FORMAT_JPG)) << decoded.GetLastError();
    EXPECT_EQ(decoded.GetWidth(), 64u);
    // The top rows were in the file and came through.
    EXPECT_LT(std::abs(decoded.GetPixelColor(10, 60, false).rgbGreen - source.GetPixelColor(10, 60, false).rgbGreen),
              8);
}

TEST(JpegErrors, EmptyStreamGivesLibjpegEmptyInputText) {
    CxImageJPG codec;
    uint8_t dummy = 0;
    CxMemStream empty(&dummy, 0);
    EXPECT_FALSE(codec.Decode(&empty));
    EXPECT_EQ(std::string(codec.GetLastError()), LibjpegMessage(JERR_INPUT_EMPTY));
}

TEST(JpegErrors, NotAJpegGivesLibjpegText) {
    Bytes bytes{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8};
    CxImageJPG codec;
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_FALSE(codec.Decode(&stream));
    EXPECT_EQ(std::string(codec.GetLastError()), LibjpegMessage(JERR_NO_SOI, 'B', 'M'));
    EXPECT_FALSE(codec.IsValid());
}

TEST(JpegErrors, TypedDecodeKeepsCodecTextAndImage) {
    Bytes bytes{0xFF, 0xD8, 0xFF, 0xD9};
    CxImage image;
    MakeColourPicture(image, 4, 4);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_FALSE(image.Decode(&stream, CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(std::string(image.GetLastError()), LibjpegMessage(JERR_NO_IMAGE));
    EXPECT_EQ(image.GetWidth(), 4u);  // the old picture is still there
}

TEST(JpegErrors, NonGreyPaletteIsRefused) {
    CxImage image;
    image.Create(8, 8, 8, CXIMAGE_FORMAT_BMP);
    image.SetGrayPalette();
    image.SetPaletteColor(7, 255, 0, 0);
    CxMemStream stream;
    stream.Open();
    EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "JPEG can save only RGB or GreyScale images");
    EXPECT_EQ(stream.Size(), 0);
}

TEST(JpegErrors, EmptyImageIsRefused) {
    CxImage image;
    CxMemStream stream;
    stream.Open();
    EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_JPG));
    EXPECT_STRNE(image.GetLastError(), "");
}

// A stream that accepts a fixed number of bytes and then refuses.
class ShortStream : public CxMemStream {
public:
    explicit ShortStream(size_t room) : room(room) { Open(); }
    size_t Write(const void* buffer, size_t size, size_t count) override {
        if (size * count > room) return 0;
        room -= size * count;
        return CxMemStream::Write(buffer, size, count);
    }

private:
    size_t room;
};

TEST(JpegErrors, WriteFailureGivesLibjpegWriteText) {
    CxImage image;
    MakeColourPicture(image, 200, 200);
    const size_t full = EncodeBytes(image, CXIMAGE_FORMAT_JPG).size();
    ASSERT_GT(full, 600u);
    // Nothing, a part of the first block, and all but the last bytes.
    for (size_t room : {size_t{0}, size_t{100}, full - 2}) {
        ShortStream stream(room);
        EXPECT_FALSE(image.Encode(&stream, CXIMAGE_FORMAT_JPG)) << room;
        EXPECT_EQ(std::string(image.GetLastError()), LibjpegMessage(JERR_FILE_WRITE)) << room;
    }
    // The same picture fits a stream with room for it.
    ShortStream roomy(size_t{1} << 24);
    EXPECT_TRUE(image.Encode(&roomy, CXIMAGE_FORMAT_JPG));
}

TEST(JpegErrors, RepeatedFailuresLeakNothingAndRecover) {
    // Failing and succeeding in turn on one codec object: the recovery
    // leaves libjpeg and the codec usable.
    CxImage source;
    MakeColourPicture(source, 20, 20);
    const Bytes good = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    Bytes bad(good.begin(), good.begin() + 30);
    for (int i = 0; i < 3; ++i) {
        CxImageJPG codec;
        Bytes copy(bad);
        CxMemStream broken(copy.data(), static_cast<int32_t>(copy.size()));
        EXPECT_FALSE(codec.Decode(&broken));
        Bytes copy2(good);
        CxMemStream fine(copy2.data(), static_cast<int32_t>(copy2.size()));
        EXPECT_TRUE(codec.Decode(&fine)) << codec.GetLastError();
        EXPECT_EQ(codec.GetWidth(), 20u);
    }
}

}  // namespace
