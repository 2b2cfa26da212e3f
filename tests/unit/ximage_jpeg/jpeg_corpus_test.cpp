// Third-party JPEG files: every one decodes or fails cleanly, so does every
// truncation of the good ones; the dimensions and component counts the
// suite states are met, and the IJG reference image matches its original.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include "jpeg_test_support.h"
#include "support/codec_test_support.h"
#include "support/test_paths.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

using namespace jpegtest;
using qlry::test::CorpusPath;

namespace {

struct CorpusFile {
    std::string name;  // inside jpeg/
    bool corrupt;      // broken on purpose, says the suite
    uint32_t width = 0, height = 0, components = 0;  // as the suite describes it, 0 unknown
};

std::vector<CorpusFile> JpegCorpus() {
    std::vector<CorpusFile> files;
    std::ifstream manifest(CorpusPath("MANIFEST.tsv"));
    std::string line;
    const std::regex shape(R"((\d+)x(\d+), (\d+) comp)");
    while (std::getline(manifest, line)) {
        if (line.rfind("jpeg/", 0) != 0) continue;
        CorpusFile file;
        file.name = line.substr(5, line.find('\t') - 5);
        const std::string note = line.substr(line.rfind('\t') + 1);
        file.corrupt = note.rfind("CORRUPT", 0) == 0;
        std::smatch m;
        if (std::regex_search(note, m, shape)) {
            file.width = static_cast<uint32_t>(std::stoul(m[1]));
            file.height = static_cast<uint32_t>(std::stoul(m[2]));
            file.components = static_cast<uint32_t>(std::stoul(m[3]));
        }
        files.push_back(file);
    }
    return files;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes CorpusBytes(const std::string& name) { return ReadFile(CorpusPath("jpeg/" + name)); }

// Variants libjpeg's 8-bit 6b interface does not read: they must fail cleanly.
const std::set<std::string> kUnsupported = {
    "jpegdec_jpeg_lossless_sel1.jpg",  // lossless (SOF3)
    "libjpegturbo_monkey12.jpg",       // 12-bit samples
};

TEST(JpegCorpus, ManifestListsTheFiles) {
    const auto files = JpegCorpus();
    EXPECT_GE(files.size(), 50u);
    for (const CorpusFile& f : files) EXPECT_TRUE(std::ifstream(CorpusPath("jpeg/" + f.name)).good()) << f.name;
}

TEST(JpegCorpus, EveryFileDecodesOrFailsCleanly) {
    for (const CorpusFile& file : JpegCorpus()) {
        SCOPED_TRACE(file.name);
        const Bytes bytes = CorpusBytes(file.name);
        CxImage image;
        const bool ok = qlry::test::DecodeBytes(bytes, image, CXIMAGE_FORMAT_UNKNOWN);
        EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image));
        if (!ok) {
            EXPECT_TRUE(file.corrupt || kUnsupported.count(file.name)) << image.GetLastError();
            continue;
        }
        EXPECT_EQ(kUnsupported.count(file.name), 0u);
        EXPECT_EQ(image.GetType(), static_cast<uint32_t>(CXIMAGE_FORMAT_JPG));
        if (file.components != 0 && !file.corrupt) {
            EXPECT_EQ(image.GetWidth(), file.width);
            EXPECT_EQ(image.GetHeight(), file.height);
            EXPECT_EQ(image.GetBpp(), file.components == 1 ? 8u : 24u);
            EXPECT_EQ(image.IsGrayScale(), file.components == 1);
        }
        EXPECT_GT(image.GetXDpi(), 0);
        EXPECT_GT(image.GetYDpi(), 0);
    }
}

TEST(JpegCorpus, TruncationsOfGoodFilesDecodeOrFailCleanly) {
    for (const CorpusFile& file : JpegCorpus()) {
        if (file.corrupt || kUnsupported.count(file.name)) continue;
        SCOPED_TRACE(file.name);
        const Bytes bytes = CorpusBytes(file.name);
        if (bytes.size() > 40000) continue;  // the small ones cover the same paths quicker
        std::set<size_t> lengths;
        const size_t step = bytes.size() / 23 + 1;
        for (size_t length = 0; length < bytes.size(); length += step) lengths.insert(length);
        qlry::test::ForEachTruncation(bytes, lengths, CXIMAGE_FORMAT_JPG, [&](bool ok, CxImage& image, size_t length) {
            EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << length;
            if (ok) {
                EXPECT_EQ(image.GetWidth(), file.width) << length;
                EXPECT_EQ(image.GetHeight(), file.height) << length;
            }
        });
    }
}

TEST(JpegCorpus, EmptyFileGivesTheEmptyInputText) {
    CxImage image;
    EXPECT_FALSE(DecodeBytes(CorpusBytes("jpegdec_crash_empty.jpg"), image, CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(std::string(image.GetLastError()), LibjpegMessage(JERR_INPUT_EMPTY));
}

// A binary PPM (P6, maxval 255) read into a 24-bit image.
bool LoadPpm(const std::string& path, CxImage& image) {
    const Bytes data = ReadFile(path);
    size_t pos = 2;  // after the "P6" magic
    std::vector<uint32_t> fields;
    while (fields.size() < 3 && pos < data.size()) {
        if (data[pos] == '#') {
            while (pos < data.size() && data[pos] != '\n') ++pos;
        } else if (isdigit(data[pos])) {
            uint32_t v = 0;
            while (pos < data.size() && isdigit(data[pos])) v = v * 10 + (data[pos++] - '0');
            fields.push_back(v);
            continue;
        }
        ++pos;
    }
    if (data.size() < 2 || data[0] != 'P' || data[1] != '6' || fields.size() != 3 || fields[2] != 255) return false;
    ++pos;  // the single white space after maxval
    const uint32_t w = fields[0], h = fields[1];
    if (data.size() < pos + uint64_t{w} * h * 3) return false;
    image.Create(w, h, 24, CXIMAGE_FORMAT_PNM);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &data[pos + (uint64_t{y} * w + x) * 3];
            image.SetPixelColor(x, h - 1 - y, CxRgbQuad{p[2], p[1], p[0], 0});
        }
    return true;
}

TEST(JpegCorpus, ReferenceImageMatchesItsOriginal) {
    CxImage original;
    ASSERT_TRUE(LoadPpm(CorpusPath("pnm/libjpegturbo_testorig.ppm"), original));
    for (const char* name : {"libjpegturbo_testorig.jpg", "libjpegturbo_testimgint.jpg"}) {
        CxImage decoded;
        ASSERT_TRUE(DecodeBytes(CorpusBytes(name), decoded, CXIMAGE_FORMAT_JPG)) << name << decoded.GetLastError();
        ASSERT_EQ(decoded.GetWidth(), original.GetWidth());
        ASSERT_EQ(decoded.GetHeight(), original.GetHeight());
        EXPECT_LT(MeanDifference(original, decoded), 4.0) << name;
    }
    // The same picture, arithmetic-coded, when the library reads that coding.
    CxImage arithmetic;
    if (DecodeBytes(CorpusBytes("libjpegturbo_testimgari.jpg"), arithmetic, CXIMAGE_FORMAT_JPG)) {
        ASSERT_EQ(arithmetic.GetWidth(), original.GetWidth());
        EXPECT_LT(MeanDifference(original, arithmetic), 4.0);
    }
}

TEST(JpegCorpus, SamplingVariantsShowTheSamePicture) {
    CxImage reference;
    ASSERT_TRUE(DecodeBytes(CorpusBytes("wuffs_peacock.s1x1-444.jpeg"), reference, CXIMAGE_FORMAT_JPG));
    for (const char* name : {"wuffs_peacock.s2x2-420.jpeg", "wuffs_peacock.s2x1-422.jpeg",
                             "wuffs_peacock.s1x3.jpeg", "wuffs_peacock.s-weird.jpeg",
                             "wuffs_peacock.progressive.jpeg"}) {
        CxImage other;
        ASSERT_TRUE(DecodeBytes(CorpusBytes(name), other, CXIMAGE_FORMAT_JPG)) << name;
        ASSERT_EQ(other.GetWidth(), reference.GetWidth());
        EXPECT_LT(MeanDifference(reference, other), 8.0) << name;
    }
}

TEST(JpegCorpus, GreyAndCmykFiles) {
    CxImage grey;
    ASSERT_TRUE(DecodeBytes(CorpusBytes("pillow_hopper_gray.jpg"), grey, CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(grey.GetBpp(), 8u);
    EXPECT_EQ(grey.GetNumColors(), 256u);
    EXPECT_TRUE(grey.IsGrayScale());
    CxImage colour;
    ASSERT_TRUE(DecodeBytes(CorpusBytes("pillow_hopper.jpg"), colour, CXIMAGE_FORMAT_JPG));
    // The grey file is the colour one without its colour.
    double total = 0;
    for (uint32_t y = 0; y < grey.GetHeight(); ++y)
        for (uint32_t x = 0; x < grey.GetWidth(); ++x) {
            const CxRgbQuad c = colour.GetPixelColor(x, y, false);
            total += std::abs((c.rgbRed * 299 + c.rgbGreen * 587 + c.rgbBlue * 114) / 1000 - grey.GetPixelIndex(x, y));
        }
    EXPECT_LT(total / (grey.GetWidth() * grey.GetHeight()), 6.0);

    for (const char* name : {"pillow_pil_sample_cmyk.jpg", "jpegdec_mozilla_jpg-cmyk-1.jpg"}) {
        CxImage cmyk;
        ASSERT_TRUE(DecodeBytes(CorpusBytes(name), cmyk, CXIMAGE_FORMAT_JPG)) << name;
        EXPECT_EQ(cmyk.GetBpp(), 24u) << name;
    }
}

TEST(JpegCorpus, ResolutionsTheFilesState) {
    CxImage image;
    ASSERT_TRUE(DecodeBytes(CorpusBytes("gdkpixbuf_dpi.jpeg"), image, CXIMAGE_FORMAT_JPG));  // JFIF 300 x 600 dpi
    EXPECT_EQ(image.GetXDpi(), 300);
    EXPECT_EQ(image.GetYDpi(), 600);

    CxImage metric;  // EXIF 200 dots per centimetre: 508 dpi, truncated after float division
    ASSERT_TRUE(DecodeBytes(CorpusBytes("pillow_exif-200dpcm.jpg"), metric, CXIMAGE_FORMAT_JPG));
    EXPECT_GE(metric.GetXDpi(), 507);
    EXPECT_LE(metric.GetXDpi(), 508);

    CxImage zero;  // a zero denominator must not turn into a resolution
    ASSERT_TRUE(DecodeBytes(CorpusBytes("pillow_exif-dpi-zerodivision.jpg"), zero, CXIMAGE_FORMAT_JPG));
    EXPECT_GT(zero.GetXDpi(), 0);
    EXPECT_LT(zero.GetXDpi(), 100000);
}

}  // namespace

namespace {

// The last scan of a progressive file repeated: libjpeg warns and goes on.
Bytes WithRepeatedLastScan(size_t copies) {
    Bytes bytes = CorpusBytes("wuffs_peacock.progressive.jpeg");
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) lastScan = i;
    if (lastScan == 0 || bytes[bytes.size() - 1] != 0xD9) return {};
    const Bytes scan(bytes.begin() + static_cast<std::ptrdiff_t>(lastScan), bytes.end() - 2);
    Bytes out(bytes.begin(), bytes.end() - 2);
    for (size_t i = 0; i < copies; ++i) out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

TEST(JpegCorpus, EndlessScansAreCutShort) {
    const Bytes some = WithRepeatedLastScan(20);
    ASSERT_FALSE(some.empty());
    CxImage image;
    EXPECT_TRUE(DecodeBytes(some, image, CXIMAGE_FORMAT_JPG)) << image.GetLastError();
    CxImage endless;
    EXPECT_FALSE(DecodeBytes(WithRepeatedLastScan(1200), endless, CXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(endless.GetLastError(), "JPEG: too many scans");
    EXPECT_FALSE(endless.IsValid());
}

}  // namespace
