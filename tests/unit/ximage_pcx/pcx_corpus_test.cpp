// Third-party PCX files: every one decodes or fails cleanly, so does every
// truncation of the good ones, the header's size and depth are what the
// image holds, and the files that store one picture at several depths agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_bytes.h"

namespace {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::Opacity;
using qlry::test::SamePicture;

using CorpusFile = qlry::test::CorpusEntry;

std::vector<CorpusFile> PcxCorpus() { return qlry::test::CorpusEntries("pcx"); }

Bytes ReadBytes(const std::string& name) { return qlry::test::ReadCorpusBytes("pcx/" + name); }

// Files refused on purpose, with the reason: an 8-bit header over lines of
// 12 bytes cannot hold 88 pixels (a bit depth byte changed by a fuzzer).
bool Declined(const std::string& name) { return name == "pillow_01r_00.pcx"; }

bool IsDcx(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".dcx") == 0; }

// Good files decode by type and by detection, with the header's size and a
// depth that holds the header's bits; the multi-page containers are not PCX
// files and are refused by the header check.
TEST(PcxCorpus, EveryFileDecodesOrFailsCleanly) {
    ASSERT_GE(PcxCorpus().size(), 20u);
    for (const CorpusFile& file : PcxCorpus()) {
        SCOPED_TRACE(file.name);
        const Bytes bytes = ReadBytes(file.name);
        ASSERT_GE(bytes.size(), 128u);
        CxImage image;
        const bool ok = DecodeBytes(bytes, image, CXIMAGE_FORMAT_PCX);
        if (IsDcx(file.name)) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(image.GetLastError(), "Error: Not a PCX file");
            continue;
        }
        if (Declined(file.name)) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(image.GetLastError(), "Invalid PCX line length");
            continue;
        }
        if (file.corrupt) {
            if (!ok) {
                EXPECT_FALSE(image.IsValid());
            }
            continue;
        }
        ASSERT_TRUE(ok) << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), cximage::LoadU16(&bytes[8]) - cximage::LoadU16(&bytes[4]) + 1u);
        EXPECT_EQ(image.GetHeight(), cximage::LoadU16(&bytes[10]) - cximage::LoadU16(&bytes[6]) + 1u);
        const uint32_t bits = uint32_t{bytes[3]} * bytes[65];
        EXPECT_GE(image.GetBpp(), bits);
        CxImage detected;
        ASSERT_TRUE(DecodeBytes(bytes, detected, CXIMAGE_FORMAT_UNKNOWN)) << detected.GetLastError();
        EXPECT_EQ(detected.GetType(), static_cast<uint32_t>(CXIMAGE_FORMAT_PCX));
        EXPECT_TRUE(SamePicture(image, detected, Opacity::Ignored));
    }
}

// A cut file fails, or decodes to the full picture when only bytes after
// the image data were lost.
TEST(PcxCorpus, TruncationsFailCleanlyOrDecodeFully) {
    for (const CorpusFile& file : PcxCorpus()) {
        if (file.corrupt || Declined(file.name) || IsDcx(file.name)) continue;
        SCOPED_TRACE(file.name);
        const Bytes bytes = ReadBytes(file.name);
        CxImage full;
        ASSERT_TRUE(DecodeBytes(bytes, full, CXIMAGE_FORMAT_PCX)) << full.GetLastError();
        std::set<size_t> lengths;
        const size_t step = std::max<size_t>(1, bytes.size() / 97);
        for (size_t length = 0; length < bytes.size(); length += step) lengths.insert(length);
        qlry::test::ForEachTruncation(bytes, lengths, CXIMAGE_FORMAT_PCX, [&](bool ok, CxImage& cut, size_t length) {
            EXPECT_TRUE(qlry::test::DecodedCleanly(ok, cut)) << length;
            if (ok) {
                EXPECT_TRUE(SamePicture(cut, full, Opacity::Ignored)) << length;
            }
        });
    }
}

// Colour distance of two same-sized pictures: the largest and the mean of
// |dr| + |dg| + |db| over all pixels.
struct Distance {
    int largest = 0;
    double mean = 0;
};

Distance Compare(const CxImage& a, const CxImage& b) {
    Distance d;
    long sum = 0;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const CxRgbQuad p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            const int e = std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) +
                          std::abs(p.rgbBlue - q.rgbBlue);
            d.largest = std::max(d.largest, e);
            sum += e;
        }
    d.mean = static_cast<double>(sum) / (a.GetWidth() * a.GetHeight());
    return d;
}

// The zigimg fixtures hold one picture at several depths, quantised from
// the 24-bit one: the 8-bit file is close at every pixel, the 16-colour one
// on average.
TEST(PcxCorpus, SamePictureAtDifferentDepths) {
    struct Case {
        const char* name;
        int largest;
        double mean;
    };
    const Case cases[] = {{"zigimg_test-bpp8.pcx", 48, 16}, {"zigimg_test-bpp4.pcx", 255, 48}};
    CxImage rgb;
    ASSERT_TRUE(DecodeBytes(ReadBytes("zigimg_test-bpp24.pcx"), rgb, CXIMAGE_FORMAT_PCX));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image;
        ASSERT_TRUE(DecodeBytes(ReadBytes(c.name), image, CXIMAGE_FORMAT_PCX));
        ASSERT_EQ(image.GetWidth(), rgb.GetWidth());
        ASSERT_EQ(image.GetHeight(), rgb.GetHeight());
        const Distance d = Compare(image, rgb);
        EXPECT_LE(d.largest, c.largest);
        EXPECT_LE(d.mean, c.mean);
    }
}

// Every good file survives our own encoder: re-encoded and decoded again it
// shows the same colours (1-bit files are stored black and white).
TEST(PcxCorpus, ReencodedFilesKeepTheirPixels) {
    for (const CorpusFile& file : PcxCorpus()) {
        if (file.corrupt || Declined(file.name) || IsDcx(file.name)) continue;
        SCOPED_TRACE(file.name);
        CxImage image;
        ASSERT_TRUE(DecodeBytes(ReadBytes(file.name), image, CXIMAGE_FORMAT_PCX));
        bool encoded = false;
        const Bytes out = EncodeBytes(image, CXIMAGE_FORMAT_PCX, &encoded);
        ASSERT_TRUE(encoded) << image.GetLastError();
        CxImage back;
        ASSERT_TRUE(DecodeBytes(out, back, CXIMAGE_FORMAT_PCX)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), image.GetBpp());
        EXPECT_TRUE(SamePicture(back, image, Opacity::Ignored));
    }
}

}  // namespace
