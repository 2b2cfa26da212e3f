// Third-party GIF files: every one decodes or fails cleanly, by type and by
// detection, at every frame; every truncation of the good ones too; what
// decodes also encodes and decodes back to the same colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::Bytes;
using qlry::test::CorpusEntries;
using qlry::test::CorpusEntry;
using qlry::test::DecodeBytes;
using qlry::test::ReadCorpusBytes;

// GIF decoding writes no text of its own, so a refusal need not say why.
void ExpectClean(bool ok, const CxImage& image, const std::string& what) {
    if (ok) {
        ASSERT_TRUE(image.IsValid()) << what;
        const uint32_t bpp = image.GetBpp();
        EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) << what;
        EXPECT_GE(image.GetNumFrames(), 1) << what;
        EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_GIF) << what;
    } else {
        EXPECT_FALSE(image.IsValid()) << what;
    }
}

// Files not marked broken that hold no picture this decoder can show, and why.
const std::set<std::string> kDeclined = {
    "libgd_conf_invalid_zero_dimensions.gif",  // a 0 x 0 screen
    "wuffs_artificial_no-frames.gif",          // no image at all
    "zigimg_pygif_zero-size.gif",              // 0 x 0 screen and image
    "zigimg_pygif_zero-width.gif",             // image and screen 0 wide
    "zigimg_pygif_image-zero-size.gif",        // the only image is 0 x 0
    "wuffs_artificial_frame-out-of-bounds.gif",  // its images lie beyond the screen
    "zigimg_pygif_no-data.gif",                // a screen without any image
};

TEST(GifCorpus, EveryFileAndFrameDecodesOrFailsCleanly) {
    const std::vector<CorpusEntry> files = CorpusEntries("gif");
    ASSERT_GE(files.size(), 80u);
    size_t decoded = 0;
    for (const CorpusEntry& entry : files) {
        const Bytes file = ReadCorpusBytes(entry.path);
        CxImage typed;
        const bool ok = DecodeBytes(file, typed, CXIMAGE_FORMAT_GIF);
        ExpectClean(ok, typed, entry.name);
        if (!entry.corrupt && !kDeclined.count(entry.name)) {
            EXPECT_TRUE(ok) << entry.name;
        }
        decoded += ok;
        CxImage detected;
        const bool found = DecodeBytes(file, detected, CXIMAGE_FORMAT_UNKNOWN);
        if (ok) {
            EXPECT_TRUE(found) << entry.name;
        }
        const int32_t frames = std::min(typed.GetNumFrames(), 12);
        for (int32_t f = 1; f < frames; ++f) {
            CxImage frame;
            ExpectClean(DecodeBytes(file, frame, CXIMAGE_FORMAT_GIF, f), frame,
                        entry.name + " frame " + std::to_string(f));
        }
    }
    EXPECT_GE(decoded, 55u);
}

TEST(GifCorpus, MinimumCodeSizeElevenStartsWithTwelveBitCodes) {
    // pygif's max-codes: 12-bit codes from the start; its first pixel is
    // entry 4 of the global table, blue.
    CxImage image;
    ASSERT_TRUE(DecodeBytes(ReadCorpusBytes("gif/zigimg_pygif_max-codes.gif"), image, CXIMAGE_FORMAT_GIF));
    EXPECT_EQ(image.GetPixelIndex(0, image.GetHeight() - 1), 4);
    EXPECT_EQ(image.GetPixelColor(0, image.GetHeight() - 1, false), (CxRgbQuad{255, 0, 0, 0}));
}

TEST(GifCorpus, TruncatedFilesFailCleanlyOrDecode) {
    for (const CorpusEntry& entry : CorpusEntries("gif")) {
        if (entry.corrupt) continue;
        const Bytes file = ReadCorpusBytes(entry.path);
        const auto lengths = qlry::test::TruncationLengths(file.size(), 2, 16, {6, 12, 13, 14, 20, file.size() - 2});
        qlry::test::ForEachTruncation(file, lengths, CXIMAGE_FORMAT_GIF, [&](bool ok, CxImage& image, size_t length) {
            ExpectClean(ok, image, entry.name + " cut at " + std::to_string(length));
        });
    }
}

TEST(GifCorpus, DecodedPicturesEncodeAndComeBackAlike) {
    for (const CorpusEntry& entry : CorpusEntries("gif")) {
        CxImage image;
        if (!DecodeBytes(ReadCorpusBytes(entry.path), image, CXIMAGE_FORMAT_GIF)) continue;
        if (uint64_t{image.GetWidth()} * image.GetHeight() > 2000000) continue;
        const Bytes file = qlry::test::EncodeBytes(image, CXIMAGE_FORMAT_GIF);
        ASSERT_FALSE(file.empty()) << entry.name;
        CxImage back;
        ASSERT_TRUE(DecodeBytes(file, back, CXIMAGE_FORMAT_GIF)) << entry.name;
        ASSERT_EQ(back.GetWidth(), image.GetWidth()) << entry.name;
        ASSERT_EQ(back.GetHeight(), image.GetHeight()) << entry.name;
        bool same = true;
        for (uint32_t y = 0; y < image.GetHeight() && same; ++y)
            for (uint32_t x = 0; x < image.GetWidth() && same; ++x)
                same = back.GetPixelColor(x, y, false) == image.GetPixelColor(x, y, false);
        EXPECT_TRUE(same) << entry.name;
    }
}

}  // namespace
