// Third-party JP2, code stream, PGX, PNM and Sun raster files: every one
// decodes or fails cleanly, typed and by detection, and so does every
// truncation of the good ones; conformance code streams decode to their
// reference pictures; the same picture stored in different PNM forms
// decodes alike.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "jas_test_util.h"
#include "support/corpus.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;
using qlry::test::CorpusEntry;

struct Folder {
    const char* name;
    uint32_t format;
};
const Folder kFolders[] = {{"jp2", CXIMAGE_FORMAT_JP2}, {"pgx", CXIMAGE_FORMAT_PGX},
                           {"pnm", CXIMAGE_FORMAT_PNM}, {"ras", CXIMAGE_FORMAT_RAS}};

// Files not marked broken that the family declines, with the reason.
const std::set<std::string> kDeclined = {
    "jp2/opj_p0_13.j2k",                  // 257 components: "error: too much components"
    "pnm/twelvemonkeys_rgba.pam",         // PAM (P7) is not read
    "jp2/pillow_balloon_eciRGBv2_aware.jp2",  // its code stream ends early (OpenJPEG's own tool fails too)
};

// A decoded image is whole, at a depth the family decodes to, with one of
// its types; a refused one is empty and says why.
void ExpectClean(bool ok, const CxImage& image, const std::string& what) {
    EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << what;
    if (ok) {
        const uint32_t bpp = image.GetBpp();
        EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) << what;
        EXPECT_GE(image.GetType(), CXIMAGE_FORMAT_JP2) << what;
    }
}

TEST(JasCorpus, EveryFileDecodesOrFailsCleanly) {
    size_t files = 0;
    for (const Folder& folder : kFolders) {
        for (const CorpusEntry& entry : qlry::test::CorpusEntries(folder.name)) {
            const std::string& path = entry.path;
            const Bytes file = qlry::test::ReadCorpusBytes(path);
            ASSERT_FALSE(file.empty()) << path;
            ++files;
            CxImage typed;
            const bool ok = DecodeBytes(file, typed, folder.format);
            ExpectClean(ok, typed, path);
            if (!entry.corrupt && !kDeclined.count(path)) {
                EXPECT_TRUE(ok) << path << ": " << typed.GetLastError();
            }
            CxImage detected;
            const bool found = DecodeBytes(file, detected, CXIMAGE_FORMAT_UNKNOWN);
            ExpectClean(found, detected, path + " (detected)");
            EXPECT_EQ(found, ok) << path;
            if (ok && found) {
                EXPECT_EQ(MaxDifference(typed, detected), 0) << path;
            }
        }
    }
    EXPECT_EQ(files, 49u + 22u + 31u + 8u);
}

TEST(JasCorpus, TruncatedFilesFailCleanlyOrDecode) {
    for (const Folder& folder : kFolders) {
        for (const CorpusEntry& entry : qlry::test::CorpusEntries(folder.name)) {
            if (entry.corrupt || kDeclined.count(entry.path)) continue;
            const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
            // Large pictures are cut at fewer places: each cut decodes them again.
            const size_t spread = file.size() > 200000 ? 3 : 10;
            const auto lengths = qlry::test::TruncationLengths(file.size(), 3, spread, {11, 12, 13, 31, 32, 33});
            qlry::test::ForEachTruncation(file, lengths, folder.format, [&](bool ok, CxImage& image, size_t length) {
                ExpectClean(ok, image, entry.path + " cut at " + std::to_string(length));
            });
        }
    }
}

// A conformance code stream against its reference decode (a PGX picture of
// one component), compared sample by sample on the 8-bit pictures.
struct Reference {
    const char* codeStream;
    const char* picture;
    int32_t frame;     // the component, for pictures shown as grey frames
    int channel;       // -1: grey; 0 red: the component of a colour picture
    int peak;          // largest difference allowed
    double meanSquare; // mean square difference allowed
};

// Limits: the conformance suite's for these streams are a peak error of 0
// for the reversible ones and small ones for the others; all pass at these.
const Reference kReferences[] = {
    {"opj_p0_01.j2k", "opj_c0p0_01.pgx", 0, -1, 0, 0.0},
    {"opj_p0_02.j2k", "opj_c0p0_02.pgx", 0, -1, 0, 0.0},
    {"opj_p0_12.j2k", "opj_c0p0_12.pgx", 0, -1, 0, 0.0},
    {"opj_p0_12.j2k", "opj_c1p0_12_0.pgx", 0, -1, 0, 0.0},
    {"opj_p0_16.j2k", "opj_c0p0_16.pgx", 0, -1, 0, 0.0},
    {"opj_p0_09.j2k", "opj_c1p0_09_0.pgx", 0, -1, 4, 1.0},
    {"opj_p0_14.j2k", "opj_c1p0_14_0.pgx", 0, 0, 0, 0.0},
    {"opj_p1_01.j2k", "opj_c0p1_01.pgx", 0, -1, 0, 0.0},
    {"opj_p1_06.j2k", "opj_c1p1_06_0.pgx", 0, 0, 2, 0.5},
    {"opj_p1_07.j2k", "opj_c0p1_07.pgx", 0, -1, 0, 0.0},
    {"opj_p1_07.j2k", "opj_c1p1_07_1.pgx", 1, -1, 0, 0.0},
};

TEST(JasCorpus, ConformanceStreamsDecodeToTheirReferencePictures) {
    for (const Reference& r : kReferences) {
        CxImage decoded, reference;
        ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes(std::string("jp2/") + r.codeStream), decoded,
                                CXIMAGE_FORMAT_JPC, r.frame))
            << r.codeStream << ": " << decoded.GetLastError();
        ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes(std::string("pgx/") + r.picture), reference,
                                CXIMAGE_FORMAT_PGX))
            << r.picture;
        ASSERT_EQ(decoded.GetWidth(), reference.GetWidth()) << r.codeStream;
        ASSERT_EQ(decoded.GetHeight(), reference.GetHeight()) << r.codeStream;
        int peak = 0;
        double squares = 0;
        for (uint32_t y = 0; y < decoded.GetHeight(); ++y)
            for (uint32_t x = 0; x < decoded.GetWidth(); ++x) {
                const CxRgbQuad c = decoded.GetPixelColor(x, y, false);
                const int ours = r.channel == 0 ? c.rgbRed : c.rgbGreen;  // grey: all three equal
                const int theirs = reference.GetPixelColor(x, y, false).rgbRed;
                const int d = std::abs(ours - theirs);
                peak = std::max(peak, d);
                squares += double(d) * d;
            }
        const double meanSquare = squares / (double(decoded.GetWidth()) * decoded.GetHeight());
        EXPECT_LE(peak, r.peak) << r.codeStream << " vs " << r.picture;
        EXPECT_LE(meanSquare, r.meanSquare) << r.codeStream << " vs " << r.picture;
    }
}

TEST(JasCorpus, OnePictureInSeveralFormsDecodesAlike) {
    const std::pair<const char*, const char*> pairs[] = {
        {"pnm/pillow_hopper_1bit.pbm", "pnm/pillow_hopper_1bit_plain.pbm"},
        {"pnm/pillow_hopper_16bit.pgm", "pnm/pillow_hopper_16bit_plain.pgm"},
        {"pnm/zigimg_pgm_ascii_grayscale16.pgm", "pnm/zigimg_pgm_binary_grayscale16.pgm"},
        {"pnm/zigimg_ppm_ascii_rgb24.ppm", "pnm/zigimg_ppm_binary_rgb24.ppm"},
        {"jp2/pillow_rgb_trns_ycbc.jp2", "jp2/pillow_rgb_trns_ycbc.j2k"},
    };
    for (const auto& [a, b] : pairs) {
        CxImage first, second;
        ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes(a), first, CXIMAGE_FORMAT_UNKNOWN)) << a;
        ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes(b), second, CXIMAGE_FORMAT_UNKNOWN)) << b;
        EXPECT_EQ(MaxDifference(first, second), 0) << a << " vs " << b;
    }
    // Red first and blue first: the colours ImageMagick reads at (10, 10).
    CxImage rgb, bgr;
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("ras/zigimg_sample-rgb24.ras"), rgb, CXIMAGE_FORMAT_RAS));
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("ras/zigimg_sample-bgr24.ras"), bgr, CXIMAGE_FORMAT_RAS));
    EXPECT_EQ(rgb.GetPixelColor(10, rgb.GetHeight() - 11), (CxRgbQuad{46, 40, 33, 0}));
    EXPECT_EQ(bgr.GetPixelColor(10, bgr.GetHeight() - 11), (CxRgbQuad{46, 41, 33, 0}));
    // 8 and 16 bits of one picture: the high byte of each 16-bit sample.
    CxImage eight, sixteen;
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("pnm/pillow_hopper_8bit.pgm"), eight, CXIMAGE_FORMAT_PNM));
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("pnm/pillow_hopper_16bit.pgm"), sixteen, CXIMAGE_FORMAT_PNM));
    EXPECT_LE(MaxDifference(eight, sixteen), 1);
}

TEST(JasCorpus, ColourJpeg2000VariantsBecomeColourPictures) {
    // sYCC with and without subsampled chroma, a palette, and subsampling
    // of all three: each a 24-bit picture of its first component's size
    // (the last one 640 samples wide on a grid of 1280).
    const std::pair<const char*, uint32_t> files[] = {
        {"jp2/opj_file2.jp2", 480}, {"jp2/opj_file3.jp2", 480}, {"jp2/opj_file9.jp2", 768},
        {"jp2/opj_file1.jp2", 768}, {"jp2/opj_subsampling_2.jp2", 640},
    };
    for (const auto& [name, width] : files) {
        CxImage image;
        ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes(name), image, CXIMAGE_FORMAT_JP2)) << name;
        EXPECT_EQ(image.GetBpp(), 24u) << name;
        EXPECT_EQ(image.GetWidth(), width) << name;
    }
    // The subsampled sYCC file and its full-chroma sibling show one picture.
    CxImage full, subsampled;
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("jp2/opj_file2.jp2"), full, CXIMAGE_FORMAT_JP2));
    ASSERT_TRUE(DecodeBytes(qlry::test::ReadCorpusBytes("jp2/opj_file3.jp2"), subsampled, CXIMAGE_FORMAT_JP2));
    double squares = 0;
    for (uint32_t y = 0; y < full.GetHeight(); ++y)
        for (uint32_t x = 0; x < full.GetWidth(); ++x) {
            const CxRgbQuad a = full.GetPixelColor(x, y, false), b = subsampled.GetPixelColor(x, y, false);
            const int d = a.rgbGreen - b.rgbGreen;
            squares += double(d) * d;
        }
    EXPECT_LT(std::sqrt(squares / (double(full.GetWidth()) * full.GetHeight())), 12.0);
}

}  // namespace
