// Third-party bitmaps (bmpsuite and the test files of other decoders): every
// one decodes or fails cleanly, so does every truncation of the good ones,
// and the files that store one picture in different layouts agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "support/test_paths.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::CorpusPath;
using qlry::test::DecodeBytes;
using qlry::test::Opacity;
using qlry::test::ReadFileBytes;
using qlry::test::SamePicture;

using CorpusFile = qlry::test::CorpusEntry;

std::vector<CorpusFile> BmpCorpus() { return qlry::test::CorpusEntries("bmp"); }

// Files whose layout the codec does not read (embedded JPEG/PNG, OS/2
// Huffman and RLE24, 2 and 64 bits per pixel, the OS/2 array container, the
// Windows 1.x device-dependent bitmap).
const std::set<std::string> kUnsupported = {
    "bmpsuite_q_rgb24jpeg.bmp", "bmpsuite_q_rgb24png.bmp", "bmpsuite_q_pal1huffmsb.bmp",
    "bmpsuite_q_rgb24rle24.bmp", "bmpsuite_q_pal2.bmp",    "bmpsuite_q_pal2color.bmp",
    "bmpsuite_q_rgba64.bmp",     "bmpsuite_x_ba-bm.bmp",    "cppbmploader_win1x_2.bmp",
};

TEST(BmpCorpus, ManifestListsTheFiles) {
    const auto files = BmpCorpus();
    ASSERT_GT(files.size(), 100u) << "corpus not found at " << CorpusPath("MANIFEST.tsv");
    for (const CorpusFile& file : files)
        EXPECT_TRUE(std::filesystem::exists(CorpusPath("bmp/" + file.name))) << file.name;
}

TEST(BmpCorpus, EveryFileDecodesOrFailsCleanly) {
    size_t decoded = 0;
    for (const CorpusFile& file : BmpCorpus()) {
        SCOPED_TRACE(file.name);
        const auto bytes = ReadFileBytes(CorpusPath("bmp/" + file.name));
        ASSERT_FALSE(bytes.empty());
        CxImage image;
        const bool ok = DecodeBytes(bytes, image, CXIMAGE_FORMAT_UNKNOWN);
        EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image));
        if (ok) {
            ++decoded;
            EXPECT_TRUE(image.IsValid());
            EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_BMP);
            // Decoded pixels go out through the clipboard block and a file again.
            qlry::HGlobal block = image.ExportDibHandle();
            ASSERT_NE(block, nullptr);
            CxImage pasted;
            EXPECT_TRUE(pasted.ImportDibHandle(block));
            qlry::SystemGlobalMemory().Free(block);
            EXPECT_TRUE(SamePicture(pasted, image, Opacity::SamePlanes) || image.AlphaIsValid());
        }
        if (!file.corrupt && !kUnsupported.count(file.name)) {
            EXPECT_TRUE(ok) << image.GetLastError();
        }
    }
    EXPECT_GT(decoded, 80u);
}

TEST(BmpCorpus, TruncationsOfGoodFilesFailOrDecodeCleanly) {
    for (const CorpusFile& file : BmpCorpus()) {
        if (file.corrupt || kUnsupported.count(file.name)) continue;
        const auto bytes = ReadFileBytes(CorpusPath("bmp/" + file.name));
        SCOPED_TRACE(file.name);
        qlry::test::ForEachTruncation(bytes, qlry::test::TruncationLengths(bytes.size(), 160, 64),
                                      CXIMAGE_FORMAT_UNKNOWN, [](bool ok, CxImage& image, size_t) {
                                          ASSERT_EQ(ok, image.IsValid());
                                      });
    }
}

// Files of the suite holding the same picture in different layouts.
const std::vector<std::vector<std::string>> kSamePicture = {
    {"bmpsuite_g_pal8.bmp", "bmpsuite_g_pal8rle.bmp", "bmpsuite_g_pal8os2.bmp", "bmpsuite_g_pal8topdown.bmp",
     "bmpsuite_g_pal8v4.bmp", "bmpsuite_g_pal8v5.bmp", "bmpsuite_g_pal8-0.bmp", "bmpsuite_q_pal8os2v2.bmp",
     "bmpsuite_q_pal8oversizepal.bmp", "bmpsuite_q_pal8os2v2-40sz.bmp", "bmpsuite_q_pal8os2v2-16.bmp",
     "bmpsuite_q_pal8os2-hs.bmp", "bmpsuite_q_pal8os2sp.bmp", "bmpsuite_q_pal8os2-sz.bmp", "bmpsuite_q_pal8os2v2-sz.bmp",
     "bmpsuite_q_pal8offs.bmp"},
    {"bmpsuite_g_pal4.bmp", "bmpsuite_g_pal4rle.bmp"},
    {"bmpsuite_g_pal1.bmp", "bmpsuite_g_pal1wb.bmp"},
    {"bmpsuite_g_rgb24.bmp", "bmpsuite_g_rgb32.bmp", "bmpsuite_g_rgb32bf.bmp", "bmpsuite_g_rgb32bfdef.bmp",
     "bmpsuite_g_rgb24pal.bmp", "bmpsuite_q_rgb24largepal.bmp", "bmpsuite_q_rgb32h52.bmp",
     "bmpsuite_q_rgb32-xbgr.bmp", "bmpsuite_q_rgb32fakealpha.bmp", "bmpsuite_q_rgb24prof.bmp", "bmpsuite_q_rgb24lprof.bmp"},
    {"bmpsuite_g_rgb16.bmp", "bmpsuite_g_rgb16bfdef.bmp"},
    {"bmpsuite_g_rgb16-565.bmp", "bmpsuite_g_rgb16-565pal.bmp"},
};

TEST(BmpCorpus, SamePictureInDifferentLayouts) {
    for (const auto& group : kSamePicture) {
        CxImage reference;
        ASSERT_TRUE(DecodeBytes(ReadFileBytes(CorpusPath("bmp/" + group[0])), reference, CXIMAGE_FORMAT_UNKNOWN))
            << group[0];
        for (size_t i = 1; i < group.size(); ++i) {
            CxImage image;
            ASSERT_TRUE(DecodeBytes(ReadFileBytes(CorpusPath("bmp/" + group[i])), image, CXIMAGE_FORMAT_UNKNOWN))
                << group[i];
            EXPECT_TRUE(SamePicture(image, reference, Opacity::SamePlanes)) << group[i] << " vs " << group[0];
        }
    }
}

}  // namespace
