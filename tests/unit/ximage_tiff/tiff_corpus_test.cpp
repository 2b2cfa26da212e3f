// Third-party TIFF files: every one decodes or fails cleanly, so does every
// truncation of the good ones, the files that store one picture in several
// ways agree pixel for pixel, and colour pages agree with libtiff's own
// RGBA reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "tiff_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::tiff;
using qlry::test::Bytes;
using qlry::test::CorpusEntries;
using qlry::test::CorpusEntry;
using qlry::test::ReadCorpusBytes;

std::unique_ptr<CxImage> DecodeCorpus(const std::string& name, int32_t frame = 0) {
    auto image = std::make_unique<CxImage>();
    EXPECT_TRUE(DecodeBytes(ReadCorpusBytes("tiff/" + name), *image, CXIMAGE_FORMAT_UNKNOWN, frame))
        << name << ": " << image->GetLastError();
    return image;
}

// Valid files this codec declines, with the reason.
const std::map<std::string, std::string> kDeclined = {
    {"imagetiff_depth_flower-rgb-contig-04.tif", "4-bit RGB: refused by libtiff's RGBA reader"},
    {"imagetiff_depth_flower-separated-planar-16.tif", "16-bit planar CMYK: refused by libtiff's RGBA reader"},
    {"imagetiff_gradient-1c-32b-float.tiff", "floating-point samples"},
    {"imagetiff_predictor-3-rgb-f32.tif", "floating-point samples"},
    {"imagetiff_libtiffpic_caspian.tif", "64-bit floating-point samples"},
    {"libtiff_test_float64_predictor2_le_lzw.tif", "64-bit floating-point samples"},
    {"imagetiff_libtiffpic_text.tif", "libtiff's ThunderScan decoder runs out of data in the strip"},
    {"libtiff_testfax3_bug54_1dnoEOL.tif", "libtiff's G3 decoder fails on the first line (no EOL codes)"},
    {"twelvemonkeys_planar-yuv420-jpeg-lzw.tif", "planar subsampled YCbCr: refused by libtiff's RGBA reader"},
};

// Compressions that depend on how libtiff was built (the Windows build has
// none of them): decoded or refused, both clean.
bool DependsOnBuild(const std::string& note) {
    for (const char* name : {"ZSTD", "LZMA", "WebP", "JBIG", "LERC"})
        if (note.find(name) != std::string::npos) return true;
    return false;
}

TEST(TiffCorpus, EveryFileDecodesOrFailsCleanly) {
    const std::vector<CorpusEntry> files = CorpusEntries("tiff");
    ASSERT_GT(files.size(), 140u) << "the corpus manifest lists the TIFF files";
    int decoded = 0;
    for (const CorpusEntry& entry : files) {
        const Bytes file = ReadCorpusBytes(entry.path);
        ASSERT_FALSE(file.empty()) << entry.name;
        CxImage image;
        const bool ok = DecodeBytes(file, image, CXIMAGE_FORMAT_TIF);
        EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << entry.name;
        if (!ok) {
            EXPECT_TRUE(entry.corrupt || kDeclined.count(entry.name) || DependsOnBuild(entry.note))
                << entry.name << ": " << image.GetLastError();
            continue;
        }
        ++decoded;
        EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_TIF) << entry.name;
        EXPECT_GE(image.GetNumFrames(), 1) << entry.name;
        EXPECT_FALSE(kDeclined.count(entry.name)) << entry.name << " decodes now";
    }
    EXPECT_GT(decoded, 110);
}

TEST(TiffCorpus, TruncatedFilesFailOrDecodeCleanly) {
    for (const CorpusEntry& entry : CorpusEntries("tiff")) {
        if (entry.corrupt) continue;
        const Bytes file = ReadCorpusBytes(entry.path);
        if (file.size() > 4000000) continue;  // the large faxes take long under the sanitizers
        const auto lengths = qlry::test::TruncationLengths(file.size(), 2, 12, {4, 7, 8, 9, 16});
        qlry::test::ForEachTruncation(file, lengths, CXIMAGE_FORMAT_TIF, [&](bool ok, CxImage& image, size_t length) {
            EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << entry.name;
            if (length < 8) {
                EXPECT_FALSE(image.IsValid()) << entry.name;
            }
        });
    }
}

// One picture in several compressions, fill orders, byte orders, tilings,
// depths or orientations (from the manifest's notes).
TEST(TiffCorpus, OnePictureStoredInDifferentWaysDecodesTheSame) {
    const std::vector<std::vector<std::string>> groups = {
        {"goimage_bw-gopher_ccittGroup3.tiff", "goimage_bw-gopher_ccittGroup4.tiff"},
        {"twelvemonkeys_group3_1d.tif", "twelvemonkeys_group3_2d.tif", "twelvemonkeys_group3_2d_lsb2msb.tif",
         "twelvemonkeys_group4.tif"},
        {"pillow_16bit.cropped.tif", "pillow_16bit.MM.cropped.tif"},
        {"imagetiff_BigTIFF.tif", "imagetiff_BigTIFFMotorola.tif", "twelvemonkeys_BigTIFFLong8Tiles.tif"},
        {"imagetiff_libtiffpic_quad-tile.tif", "libtiff_quad-lzw-compat.tiff"},
    };
    for (const auto& group : groups) {
        const auto first = DecodeCorpus(group[0]);
        for (size_t i = 1; i < group.size(); ++i)
            EXPECT_TRUE(SamePicture(*first, *DecodeCorpus(group[i]))) << group[0] << " and " << group[i];
    }
    // 12-bit samples by their top 8 bits: the 16-bit page's high bytes, but
    // for rounding when the series was made.
    const auto sixteen = DecodeCorpus("imagetiff_depth_flower-minisblack-16.tif");
    const auto twelve = DecodeCorpus("imagetiff_depth_flower-minisblack-12.tif");
    ASSERT_EQ(twelve->GetWidth(), sixteen->GetWidth());
    ASSERT_EQ(twelve->GetHeight(), sixteen->GetHeight());
    int worst = 0;
    for (uint32_t y = 0; y < twelve->GetHeight(); ++y)
        for (uint32_t x = 0; x < twelve->GetWidth(); ++x)
            worst = std::max(worst, std::abs(twelve->GetPixelIndex(x, y) - sixteen->GetPixelIndex(x, y)));
    EXPECT_LE(worst, 1);

    // The orientation series was rendered separately for each file: about a
    // hundred edge pixels of its 51920 differ (so they do for other readers).
    // A page turned the wrong way differs in far more.
    const auto upright = DecodeCorpus("pillow_g4_orientation_1.tif");
    for (int orientation = 2; orientation <= 8; ++orientation) {
        const auto turned = DecodeCorpus("pillow_g4_orientation_" + std::to_string(orientation) + ".tif");
        ASSERT_EQ(turned->GetWidth(), upright->GetWidth()) << orientation;
        ASSERT_EQ(turned->GetHeight(), upright->GetHeight()) << orientation;
        uint32_t differing = 0;
        for (uint32_t y = 0; y < upright->GetHeight(); ++y)
            for (uint32_t x = 0; x < upright->GetWidth(); ++x)
                differing += upright->GetPixelIndex(x, y) != turned->GetPixelIndex(x, y);
        EXPECT_LT(differing, upright->GetWidth() * upright->GetHeight() / 200) << orientation;
    }
}

TEST(TiffCorpus, ColourPagesAgreeWithLibtiffsRgbaReader) {
    int compared = 0;
    for (const CorpusEntry& entry : CorpusEntries("tiff")) {
        if (entry.corrupt || entry.note.find("orientation") != std::string::npos) continue;
        const Bytes file = ReadCorpusBytes(entry.path);
        CxImage image;
        if (!DecodeBytes(file, image, CXIMAGE_FORMAT_TIF) || image.GetBpp() != 24) continue;
        if (entry.note.find("CIELab") != std::string::npos) continue;  // our own conversion
        uint32_t width = 0, height = 0;
        const std::vector<uint32_t> raster = LibtiffRgba(file, width, height);
        if (raster.empty()) continue;
        SCOPED_TRACE(entry.name);
        ASSERT_EQ(image.GetWidth(), width);
        ASSERT_EQ(image.GetHeight(), height);
        // libtiff's raster holds premultiplied colour, ours straight colour:
        // they agree where a pixel is opaque.
        int mismatches = 0;
        for (uint32_t y = 0; y < height && mismatches < 3; ++y)
            for (uint32_t x = 0; x < width && mismatches < 3; ++x) {
                const uint32_t abgr = raster[size_t{y} * width + x];
                const CxRgbQuad c = image.GetPixelColor(x, y, true);
                const CxRgbQuad expected{static_cast<uint8_t>(TIFFGetB(abgr)), static_cast<uint8_t>(TIFFGetG(abgr)),
                                         static_cast<uint8_t>(TIFFGetR(abgr)),
                                         static_cast<uint8_t>(image.AlphaIsValid() ? TIFFGetA(abgr) : 0)};
                const bool colourComparable = !image.AlphaIsValid() || expected.rgbReserved == 255;
                if (colourComparable ? !(c == expected) : c.rgbReserved != expected.rgbReserved) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel " << x << "," << y;
                }
            }
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

TEST(TiffCorpus, MultiPageFilesCountTheirPages) {
    EXPECT_EQ(DecodeCorpus("pillow_multipage.tiff")->GetNumFrames(), 3);
    const auto third = DecodeCorpus("pillow_multipage.tiff", 2);
    EXPECT_EQ(third->GetNumFrames(), 3);
    EXPECT_EQ(DecodeCorpus("pillow_g4-multi.tiff")->GetNumFrames(), 3);
    const auto fax = DecodeCorpus("libtiff_miniswhite-1c-1b.tiff");
    EXPECT_EQ(fax->GetBpp(), 1u);
    EXPECT_EQ(fax->GetPaletteColor(0).rgbRed, 255);
}

}  // namespace
