// The WebP files of the corpus (made with Debian's webp tools from corpus
// pictures): each decodes by detection to exactly what libwebp's own
// decoders show, frame by frame for animations; what the header says is
// what the image holds; every cut-off copy fails cleanly or shows the same
// picture; the file too large for the memory cap is refused up front.
#include <gtest/gtest.h>

#include <string>

#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "webp_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::webp;
using qlry::test::DecodeBytes;
using qlry::test::DecodedCleanly;

struct Expected {
    const char* name;
    uint32_t width;
    uint32_t height;
    bool alpha;  // the image gets an alpha plane
    int32_t frames;
};

const Expected kFiles[] = {
    {"quillory_lossy_cat.webp", 320, 240, false, 1},
    {"quillory_lossless_basn2c08.webp", 32, 32, false, 1},
    {"quillory_alpha_lossy_basn6a08.webp", 32, 32, true, 1},
    {"quillory_alpha_lossless_basn6a08.webp", 32, 32, true, 1},
    {"quillory_animated_lossy_loop.webp", 100, 100, false, 4},
    {"quillory_animated_transparent_restorebackground.webp", 100, 100, true, 4},
    {"quillory_animated_mixed_img2webp.webp", 32, 32, false, 2},
    {"quillory_1x1_lossless.webp", 1, 1, false, 1},
    {"quillory_1x1_lossy.webp", 1, 1, false, 1},
    {"quillory_odd_13x7_lossy.webp", 13, 7, false, 1},
    {"quillory_odd_29x3_alpha_lossless.webp", 29, 3, true, 1},
    {"quillory_metadata_icc_cat.webp", 64, 48, false, 1},
};
const char* const kTooLarge = "quillory_cap_16383x16383_lossless.webp";

TEST(WebpCorpus, EveryFileOfTheManifestIsChecked) {
    size_t listed = 0;
    for (const auto& entry : qlry::test::CorpusEntries("webp")) {
        ++listed;
        bool known = entry.name == kTooLarge;
        for (const Expected& file : kFiles) known = known || entry.name == file.name;
        EXPECT_TRUE(known) << entry.name;
    }
    EXPECT_EQ(listed, std::size(kFiles) + 1);
}

TEST(WebpCorpus, EveryFrameMatchesTheReferenceDecoder) {
    for (const Expected& file : kFiles) {
        SCOPED_TRACE(file.name);
        const Bytes bytes = CorpusFile(file.name);
        ASSERT_FALSE(bytes.empty());
        for (int32_t frame = 0; frame < file.frames; ++frame) {
            SCOPED_TRACE(frame);
            CxImage image;
            ASSERT_TRUE(DecodeBytes(bytes, image, CXIMAGE_FORMAT_UNKNOWN, frame)) << image.GetLastError();
            EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_WEBP);
            EXPECT_EQ(image.GetBpp(), 24u);
            EXPECT_EQ(image.GetWidth(), file.width);
            EXPECT_EQ(image.GetHeight(), file.height);
            EXPECT_EQ(image.GetNumFrames(), file.frames);
            if (frame == 0) {
                EXPECT_EQ(image.AlphaIsValid(), file.alpha);
            }
            EXPECT_TRUE(MatchesReference(image, ReferenceDecode(bytes, frame)));
        }
    }
}

TEST(WebpCorpus, AFrameBeyondTheLastIsRefusedWithTheCount) {
    for (const Expected& file : kFiles) {
        CxImage image;
        EXPECT_FALSE(DecodeBytes(CorpusFile(file.name), image, CXIMAGE_FORMAT_WEBP, file.frames)) << file.name;
        EXPECT_STREQ(image.GetLastError(), "Frame not present in WebP file") << file.name;
        EXPECT_EQ(image.GetNumFrames(), file.frames) << file.name;
        EXPECT_FALSE(image.IsValid());
    }
}

TEST(WebpCorpus, TheDimensionProbeReadsTheHeaderOnly) {
    for (const Expected& file : kFiles) {
        CxImage image;
        image.SetEscape(-1);
        ASSERT_TRUE(DecodeBytes(CorpusFile(file.name), image, CXIMAGE_FORMAT_WEBP)) << file.name;
        EXPECT_EQ(image.GetWidth(), file.width) << file.name;
        EXPECT_EQ(image.GetHeight(), file.height) << file.name;
        EXPECT_FALSE(image.IsValid()) << file.name;
        EXPECT_STREQ(image.GetLastError(), "output dimensions returned");
    }
}

TEST(WebpCorpus, AFileLargerThanTheMemoryCapIsRefusedBeforeAllocating) {
    const Bytes bytes = CorpusFile(kTooLarge);
    ASSERT_FALSE(bytes.empty());
    CxImage image;
    EXPECT_FALSE(DecodeBytes(bytes, image, CXIMAGE_FORMAT_WEBP));
    EXPECT_STREQ(image.GetLastError(), "CXIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(image.IsValid());
    CxImage detected;
    EXPECT_FALSE(DecodeBytes(bytes, detected, CXIMAGE_FORMAT_UNKNOWN));
    CxImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(DecodeBytes(bytes, probe, CXIMAGE_FORMAT_WEBP));
    EXPECT_EQ(probe.GetWidth(), 16383u);
    EXPECT_EQ(probe.GetHeight(), 16383u);
}

TEST(WebpCorpus, CutOffCopiesFailCleanlyOrShowTheWholePicture) {
    for (const Expected& file : kFiles) {
        const Bytes bytes = CorpusFile(file.name);
        CxImage whole;
        ASSERT_TRUE(DecodeBytes(bytes, whole, CXIMAGE_FORMAT_WEBP)) << file.name;
        qlry::test::ForEachTruncation(
            bytes, qlry::test::TruncationLengths(bytes.size(), 48, 48), CXIMAGE_FORMAT_UNKNOWN,
            [&](bool ok, CxImage& image, size_t length) {
                EXPECT_TRUE(DecodedCleanly(ok, image)) << file.name << " cut at " << length;
                // Only metadata behind the picture may be missing from a copy that decodes.
                if (ok) {
                    EXPECT_TRUE(qlry::test::SamePicture(image, whole)) << file.name << " cut at " << length;
                }
            });
    }
}

TEST(WebpCorpus, LosslessAlphaIsTheSourcePicturesOpacity) {
    // Opacity only: cwebp brings the PNG's colours from its gamma of 1.0 to sRGB.
    CxImage png;
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("png/pngsuite_basn6a08.png"), png, CXIMAGE_FORMAT_PNG));
    CxImage webp;
    ASSERT_TRUE(DecodeBytes(CorpusFile("quillory_alpha_lossless_basn6a08.webp"), webp, CXIMAGE_FORMAT_UNKNOWN));
    ASSERT_TRUE(webp.AlphaIsValid());
    ASSERT_EQ(webp.GetWidth(), png.GetWidth());
    ASSERT_EQ(webp.GetHeight(), png.GetHeight());
    for (uint32_t y = 0; y < png.GetHeight(); ++y)
        for (uint32_t x = 0; x < png.GetWidth(); ++x) ASSERT_EQ(webp.AlphaGet(x, y), png.AlphaGet(x, y)) << x << "," << y;
}

}  // namespace
