// Third-party TGA files: every one decodes or fails cleanly, by type and by
// detection; every truncation of the good ones fails cleanly or decodes;
// the files that store one picture in different layouts agree pixel for
// pixel.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;
using qlry::test::Opacity;
using qlry::test::SamePicture;

using CorpusFile = qlry::test::CorpusEntry;

std::vector<CorpusFile> TgaCorpus() { return qlry::test::CorpusEntries("tga"); }

Bytes CorpusBytes(const std::string& name) { return qlry::test::ReadCorpusBytes("tga/" + name); }

// A decoded image is whole, at a depth TGA decodes to; a refused one is empty and says why.
void ExpectClean(bool ok, const CxImage& image, const std::string& what) {
    EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << what;
    if (ok) {
        EXPECT_TRUE(image.GetBpp() == 8 || image.GetBpp() == 24) << what;
    }
}

// Files not marked broken that hold no picture, with the reason.
const std::set<std::string> kDeclined = {
    "pillow_p_8.tga",  // 18 bytes: the header alone, without its colour map or pixels
};

TEST(TgaCorpus, EveryFileDecodesOrFailsCleanly) {
    const std::vector<CorpusFile> files = TgaCorpus();
    ASSERT_GT(files.size(), 50u);
    for (const CorpusFile& entry : files) {
        const Bytes file = CorpusBytes(entry.name);
        ASSERT_FALSE(file.empty() && entry.name.find("empty") == std::string::npos) << entry.name;
        CxImage typed;
        const bool ok = DecodeBytes(file, typed, CXIMAGE_FORMAT_TGA);
        ExpectClean(ok, typed, entry.name);
        if (!entry.corrupt && !kDeclined.count(entry.name)) {
            EXPECT_TRUE(ok) << entry.name << ": " << typed.GetLastError();
        }
        CxImage detected;
        ExpectClean(DecodeBytes(file, detected, CXIMAGE_FORMAT_UNKNOWN), detected, entry.name + " (detected)");
    }
}

TEST(TgaCorpus, TruncatedFilesFailCleanlyOrDecode) {
    for (const CorpusFile& entry : TgaCorpus()) {
        if (entry.corrupt || kDeclined.count(entry.name)) continue;
        const Bytes file = CorpusBytes(entry.name);
        qlry::test::ForEachTruncation(file, qlry::test::TruncationLengths(file.size(), 0, 12, {1, 17, 18, 19}),
                                      CXIMAGE_FORMAT_TGA, [&](bool ok, CxImage& image, size_t length) {
                                          ExpectClean(ok, image, entry.name + " cut at " + std::to_string(length));
                                      });
    }
}

// Files of one picture stored with other row orders, column orders or compression.
const std::vector<std::vector<std::string>> kSamePicture = {
    {"gdkpixbuf_gtk-logo-24bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-24bpp-top-right.tga",
     "gdkpixbuf_gtk-logo-rle-24bpp-bottom-left.tga"},
    {"gdkpixbuf_gtk-logo-32bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-rle-32bpp-bottom-left.tga",
     "gdkpixbuf_gtk-logo-rle-32bpp-bottom-right.tga", "gdkpixbuf_gtk-logo-rle-32bpp-top-left.tga",
     "gdkpixbuf_gtk-logo-rle-32bpp-top-right.tga"},
    {"gdkpixbuf_gtk-logo-cmap-8bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-cmap-rle-8bpp-bottom-left.tga",
     "gdkpixbuf_gtk-logo-cmap-rle-8bpp-top-right.tga"},
    {"gdkpixbuf_gtk-logo-16bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-16bpp-top-right.tga"},
    {"gdkpixbuf_gtk-logo-gray-16bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-gray-rle-16bpp-bottom-left.tga"},
    {"gdkpixbuf_gtk-logo-gray-8bpp-bottom-left.tga", "gdkpixbuf_gtk-logo-gray-rle-8bpp-bottom-left.tga"},
    {"twelvemonkeys_monochrome16_top_left.tga", "twelvemonkeys_monochrome16_top_left_rle.tga"},
};

TEST(TgaCorpus, OnePictureInManyLayoutsDecodesAlike) {
    std::vector<std::vector<std::string>> groups = kSamePicture;
    for (const char* mode : {"l", "la", "p", "rgb", "rgba"}) {
        std::vector<std::string> group;
        for (const char* order : {"bl", "tl"})
            for (const char* packing : {"raw", "rle"})
                group.push_back(std::string("pillow_common_200x32_") + mode + "_" + order + "_" + packing + ".tga");
        groups.push_back(group);
    }
    for (const auto& group : groups) {
        CxImage first;
        ASSERT_TRUE(DecodeBytes(CorpusBytes(group[0]), first, CXIMAGE_FORMAT_TGA)) << group[0];
        for (size_t i = 1; i < group.size(); ++i) {
            CxImage other;
            ASSERT_TRUE(DecodeBytes(CorpusBytes(group[i]), other, CXIMAGE_FORMAT_TGA)) << group[i];
            EXPECT_TRUE(SamePicture(first, other, Opacity::SamePlanes)) << group[0] << " vs " << group[i];
        }
    }
}

}  // namespace
