// The WebP codec on pictures made in the test: what each depth and quality
// writes (lossy or lossless), round trips, the alpha plane and palette
// transparency, the dimension probe, escape, and the failure texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/codec_test_support.h"
#include "webp_test_support.h"
#include "ximage/codecs/ximage_webp.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::webp;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::EncodeChecked;
using qlry::test::MaxDifference;
using qlry::test::SamePicture;

// Reaches the info fields that only codecs set.
class TestImage : public CxImage {
public:
    using CxImage::CxImage;
    void EnableAlphaPalette() { info.alphaPaletteEnabled = true; }
};

// The kind of picture data a file carries: "VP8 " (lossy) or "VP8L"
// (lossless), behind a VP8X header and ALPH chunk where there is one.
std::string PictureChunk(const Bytes& file) {
    for (size_t at = 12; at + 8 <= file.size();) {
        const std::string id(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4);
        if (id == "VP8 " || id == "VP8L") return id;
        const uint32_t size = file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | uint32_t{file[at + 7]} << 24;
        at += 8 + size + (size & 1);
    }
    return "";
}

TEST(WebpEncode, EachDepthAndQualityPicksLossyOrLossless) {
    struct Case {
        uint32_t bpp;
        uint8_t quality;
        const char* chunk;
        int maxDifference;  // of a colour channel after the round trip
    };
    const Case cases[] = {
        {24, 90, "VP8 ", 24}, {24, 50, "VP8 ", 40}, {24, 100, "VP8L", 0},
        {8, 90, "VP8L", 0},   {4, 10, "VP8L", 0},   {1, 90, "VP8L", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bpp) + " bits at quality " + std::to_string(c.quality));
        CxImage image(61, 37, c.bpp);
        FillGradient(image);
        image.SetJpegQuality(c.quality);
        const Bytes file = EncodeChecked(image, CXIMAGE_FORMAT_WEBP);
        EXPECT_EQ(PictureChunk(file), c.chunk);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_WEBP)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), 24u);
        EXPECT_FALSE(back.AlphaIsValid());
        EXPECT_LE(MaxDifference(back, image), c.maxDifference);
        if (c.maxDifference == 0) {
            EXPECT_TRUE(SamePicture(back, image));
        }
    }
}

TEST(WebpEncode, QualityIsNinetyByDefaultAndLowerQualityWritesLess) {
    CxImage image(96, 64, 24);
    FillGradient(image);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    const Bytes at90 = EncodeChecked(image, CXIMAGE_FORMAT_WEBP);
    image.SetJpegQuality(30);
    const Bytes at30 = EncodeChecked(image, CXIMAGE_FORMAT_WEBP);
    EXPECT_LT(at30.size(), at90.size());
}

TEST(WebpEncode, TheAlphaPlaneIsKept) {
    for (const uint8_t quality : {uint8_t{90}, uint8_t{100}}) {
        SCOPED_TRACE(int{quality});
        CxImage image(23, 17, 24);
        FillGradient(image);
        image.AlphaCreate();
        for (uint32_t y = 0; y < 17; ++y)
            for (uint32_t x = 0; x < 23; ++x) image.AlphaSet(x, y, static_cast<uint8_t>((x * 11 + y * 29) & 0xFF));
        image.AlphaSet(0, 0, 0);  // fully transparent: a lossless file keeps its colour too
        image.SetJpegQuality(quality);
        CxImage back;
        ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_WEBP), back, CXIMAGE_FORMAT_WEBP))
            << back.GetLastError();
        ASSERT_TRUE(back.AlphaIsValid());
        for (uint32_t y = 0; y < 17; ++y)
            for (uint32_t x = 0; x < 23; ++x) ASSERT_EQ(back.AlphaGet(x, y), image.AlphaGet(x, y)) << x << "," << y;
        if (quality == 100) {
            EXPECT_TRUE(SamePicture(back, image));
        }
    }
}

TEST(WebpEncode, PaletteTransparencyBecomesAlpha) {
    TestImage indexed(9, 5, 8);
    FillGradient(indexed);
    indexed.SetTransIndex(4);
    CxImage back;
    ASSERT_TRUE(DecodeBytes(EncodeChecked(indexed, CXIMAGE_FORMAT_WEBP), back, CXIMAGE_FORMAT_WEBP));
    ASSERT_TRUE(back.AlphaIsValid());
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            EXPECT_EQ(back.AlphaGet(x, y), indexed.GetPixelIndex(x, y) == 4 ? 0 : 255) << x << "," << y;

    TestImage alphaPalette(9, 5, 4);
    FillGradient(alphaPalette);
    for (uint8_t i = 0; i < 16; ++i) {
        CxRgbQuad entry = alphaPalette.GetPaletteColor(i);
        alphaPalette.SetPaletteColor(i, entry.rgbRed, entry.rgbGreen, entry.rgbBlue, static_cast<uint8_t>(i * 17));
    }
    alphaPalette.EnableAlphaPalette();
    ASSERT_TRUE(DecodeBytes(EncodeChecked(alphaPalette, CXIMAGE_FORMAT_WEBP), back, CXIMAGE_FORMAT_WEBP));
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(back.AlphaGet(x, y), alphaPalette.GetPixelIndex(x, y) * 17);
}

TEST(WebpEncode, RefusalsSayWhy) {
    CxImage empty;
    bool ok = true;
    EncodeBytes(empty, CXIMAGE_FORMAT_WEBP, &ok);
    EXPECT_FALSE(ok);
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    CxImage wide(16384, 1, 8);  // beyond the format's 16383 pixels
    EncodeBytes(wide, CXIMAGE_FORMAT_WEBP, &ok);
    EXPECT_FALSE(ok);
    EXPECT_STREQ(wide.GetLastError(), "Image too large for WebP");
}

TEST(WebpDecode, RowPaddingIsZeroAndNothingIsLeftUninitialised) {
    for (const bool alpha : {false, true}) {
        CxImage image(13, 7, 24);
        FillGradient(image);
        if (alpha) {
            image.AlphaCreate();
            image.AlphaSet(3, 3, 7);
        }
        CxImage back;
        ASSERT_TRUE(DecodeBytes(EncodeChecked(image, CXIMAGE_FORMAT_WEBP), back, CXIMAGE_FORMAT_WEBP));
        ASSERT_EQ(back.GetRowBytes(), 40u);
        for (uint32_t y = 0; y < 7; ++y) EXPECT_EQ(back.GetBits(y)[39], 0) << y;
    }
}

TEST(WebpDecode, EscapeCancelsAndMinusOneProbes) {
    CxImage image(40, 30, 24);
    FillGradient(image);
    const Bytes file = EncodeChecked(image, CXIMAGE_FORMAT_WEBP);
    CxImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(file, cancelled, CXIMAGE_FORMAT_WEBP));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
    EXPECT_FALSE(cancelled.IsValid());
    CxImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(DecodeBytes(file, probe, CXIMAGE_FORMAT_WEBP));
    EXPECT_EQ(probe.GetWidth(), 40u);
    EXPECT_EQ(probe.GetHeight(), 30u);
    EXPECT_FALSE(probe.IsValid());

    // Between frames of an animation too.
    CxImage frames;
    frames.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(CorpusFile("quillory_animated_lossy_loop.webp"), frames, CXIMAGE_FORMAT_WEBP, 2));
    EXPECT_STREQ(frames.GetLastError(), "Cancelled");
}

TEST(WebpDecode, OtherDataIsNotTakenForWebp) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"nothing", "", "Not a WebP file"},
        {"a wave file", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), "Not a WebP file"},
        {"a header alone", std::string("RIFF\x40\0\0\0WEBP", 12), "Premature end of WebP file"},
        {"a RIFF size below its own header", std::string("RIFF\0\0\0\0WEBPVP8L", 16), "Corrupted WebP file"},
        {"a lossless chunk with a wrong signature", std::string("RIFF\x12\0\0\0WEBPVP8L\x06\0\0\0\0\0\0\0\0\0", 26),
         "Corrupted WebP file"},
    };
    for (const Case& c : cases) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(Bytes(c.bytes.begin(), c.bytes.end()), image, CXIMAGE_FORMAT_WEBP)) << c.what;
        EXPECT_STREQ(image.GetLastError(), c.error) << c.what;
        CxImage detected;
        EXPECT_FALSE(DecodeBytes(Bytes(c.bytes.begin(), c.bytes.end()), detected, CXIMAGE_FORMAT_UNKNOWN)) << c.what;
    }
}

TEST(WebpDecode, ARiffSizeBeyondTheStreamReadsWhatIsThere) {
    Bytes file = CorpusFile("quillory_lossless_basn2c08.webp");
    ASSERT_GT(file.size(), 12u);
    file[4] = file[5] = file[6] = 0xFF;  // declares almost 4 GB
    file[7] = 0xFF;
    CxImage image;
    const bool ok = DecodeBytes(file, image, CXIMAGE_FORMAT_WEBP);
    EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image));
}

TEST(WebpDecode, AFailedDecodeLeavesNoImageInTheCodec) {
    for (const char* name : {"quillory_lossless_basn2c08.webp", "quillory_alpha_lossy_basn6a08.webp",
                             "quillory_animated_lossy_loop.webp"}) {
        Bytes file = CorpusFile(name);
        file.resize(file.size() - 9);  // the picture data cut short
        CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
        CxImageWEBP codec;
        EXPECT_FALSE(codec.Decode(&stream)) << name;
        EXPECT_FALSE(codec.IsValid()) << name;
        EXPECT_FALSE(codec.AlphaIsValid()) << name;
        EXPECT_STRNE(codec.GetLastError(), "") << name;
    }
}

TEST(WebpDecode, TheStreamIsLeftBehindTheFile) {
    Bytes file = CorpusFile("quillory_1x1_lossless.webp");
    const size_t size = file.size();
    file.push_back(0x5A);
    CxMemStream stream(file.data(), static_cast<int32_t>(file.size()));
    CxImageWEBP codec;
    ASSERT_TRUE(codec.Decode(&stream));
    EXPECT_EQ(stream.Tell(), static_cast<int32_t>(size));
    EXPECT_EQ(stream.GetC(), 0x5A);
}

}  // namespace
