// Third-party PNG files (PngSuite and the test files of other decoders):
// every one decodes or fails cleanly, so does every truncation of the good
// ones, what the chunks say is what the image holds, and the files that
// store one picture in different layouts agree pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "png_test_support.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "support/test_paths.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test::png;
using qlry::test::CorpusPath;

using CorpusFile = qlry::test::CorpusEntry;

std::vector<CorpusFile> PngCorpus() { return qlry::test::CorpusEntries("png"); }

std::vector<uint8_t> CorpusBytes(const std::string& name) { return ReadBytes(CorpusPath("png/" + name)); }

std::unique_ptr<CxImage> DecodeCorpus(const std::string& name) {
    auto image = std::make_unique<CxImage>();
    EXPECT_TRUE(DecodeBytes(CorpusBytes(name), *image, CXIMAGE_FORMAT_UNKNOWN)) << name << ": " << image->GetLastError();
    return image;
}

// Valid files this codec declines, with the reason.
const std::set<std::string> kDeclined = {
};

// What the image must show of the chunks the file carries.
void CheckAgainstChunks(const std::string& name, const std::vector<uint8_t>& file, const CxImage& image) {
    SCOPED_TRACE(name);
    const std::vector<Chunk> chunks = ReadChunks(file);
    const Chunk* ihdr = FindChunk(chunks, "IHDR");
    ASSERT_NE(ihdr, nullptr);
    EXPECT_EQ(image.GetWidth(), BigEndian32(ihdr->data.data()));
    EXPECT_EQ(image.GetHeight(), BigEndian32(ihdr->data.data() + 4));
    const int depth = ihdr->data[8];
    const int colorType = ihdr->data[9];
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_PNG), ihdr->data[12]);
    EXPECT_EQ(image.AlphaIsValid(), (colorType & 4) != 0);
    if (colorType != 3 && (colorType & 6) != 0) EXPECT_EQ(image.GetBpp(), 24u);
    else EXPECT_EQ(image.GetBpp(), depth == 16 ? 8u : depth == 2 ? 4u : static_cast<uint32_t>(depth));

    if (colorType == 3) {
        const Chunk* plte = FindChunk(chunks, "PLTE");
        ASSERT_NE(plte, nullptr);
        const Chunk* trns = FindChunk(chunks, "tRNS");
        const size_t entries = std::min<size_t>(plte->data.size() / 3, image.GetNumColors());
        for (size_t i = 0; i < entries; ++i) {
            const CxRgbQuad entry = image.GetPaletteColor(static_cast<uint8_t>(i));
            EXPECT_EQ(entry.rgbRed, plte->data[3 * i]) << i;
            EXPECT_EQ(entry.rgbGreen, plte->data[3 * i + 1]) << i;
            EXPECT_EQ(entry.rgbBlue, plte->data[3 * i + 2]) << i;
            if (trns && !trns->data.empty() && trns->data.size() <= entries) {
                const bool single = trns->data.size() == 1 && trns->data[0] == 0;
                const uint8_t expected = i < trns->data.size() ? trns->data[i] : (single ? 0 : 255);
                EXPECT_EQ(entry.rgbReserved, expected) << i;
                EXPECT_EQ(image.GetTransIndex(), single ? 0 : -1);
                EXPECT_EQ(image.GetInfo().alphaPaletteEnabled, !single);
            }
        }
    }
    const Chunk* phys = FindChunk(chunks, "pHYs");
    if (phys && phys->data.size() == 9 && phys->data[8] == 1) {
        const double dpi = BigEndian32(phys->data.data()) * 0.0254;
        EXPECT_NEAR(image.GetXDpi(), dpi, 0.5);
    } else {
        EXPECT_EQ(image.GetXDpi(), 96);
    }
}

TEST(PngCorpus, EveryFileDecodesOrFailsCleanly) {
    const std::vector<CorpusFile> files = PngCorpus();
    ASSERT_GT(files.size(), 150u) << "the corpus manifest lists the PNG files";
    int decoded = 0;
    for (const CorpusFile& entry : files) {
        const std::vector<uint8_t> file = CorpusBytes(entry.name);
        ASSERT_FALSE(file.empty()) << entry.name;
        CxImage image;
        const bool ok = DecodeBytes(file, image, CXIMAGE_FORMAT_UNKNOWN);
        EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << entry.name;
        if (!ok) {
            EXPECT_TRUE(entry.corrupt || kDeclined.count(entry.name)) << entry.name << ": " << image.GetLastError();
            continue;
        }
        ++decoded;
        EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_PNG) << entry.name;
        if (!entry.corrupt) CheckAgainstChunks(entry.name, file, image);
    }
    EXPECT_GT(decoded, 150);
}

TEST(PngCorpus, TruncatedFilesFailCleanly) {
    for (const CorpusFile& entry : PngCorpus()) {
        if (entry.corrupt) continue;
        const std::vector<uint8_t> file = CorpusBytes(entry.name);
        const size_t end = ImageDataEnd(file);
        qlry::test::ForEachTruncation(file, qlry::test::TruncationLengths(end, 0, 16, {1, 7, 8, 16, 33, 40}),
                                      CXIMAGE_FORMAT_PNG, [&](bool ok, CxImage& image, size_t length) {
                                          EXPECT_FALSE(ok) << entry.name << " cut at " << length;
                                          EXPECT_TRUE(qlry::test::DecodedCleanly(ok, image)) << entry.name;
                                      });
    }
}

// Interlaced and plain, in every colour type and depth.
TEST(PngCorpus, InterlacedFilesMatchTheirPlainTwins) {
    for (const char* layout : {"0g01", "0g02", "0g04", "0g08", "0g16", "2c08", "2c16", "3p01", "3p02", "3p04",
                               "3p08", "4a08", "4a16", "6a08", "6a16"}) {
        SCOPED_TRACE(layout);
        const auto plain = DecodeCorpus(std::string("pngsuite_basn") + layout + ".png");
        const auto interlaced = DecodeCorpus(std::string("pngsuite_basi") + layout + ".png");
        EXPECT_EQ(interlaced->GetCodecOption(CXIMAGE_FORMAT_PNG), 1u);
        EXPECT_EQ(plain->GetCodecOption(CXIMAGE_FORMAT_PNG), 0u);
        EXPECT_TRUE(SamePicture(*plain, *interlaced));
    }
    // Odd sizes from 1 to 40 pixels, where some Adam7 passes are empty.
    for (const char* size : {"s01", "s02", "s03", "s04", "s05", "s06", "s07", "s08", "s09", "s32", "s33", "s34",
                             "s35", "s36", "s37", "s38", "s39", "s40"}) {
        SCOPED_TRACE(size);
        const std::string depth = std::string(size) <= "s04" ? "3p01" : std::string(size) <= "s09" ? "3p02" : "3p04";
        const auto plain = DecodeCorpus(std::string("pngsuite_") + size + "n" + depth + ".png");
        const auto interlaced = DecodeCorpus(std::string("pngsuite_") + size + "i" + depth + ".png");
        EXPECT_TRUE(SamePicture(*plain, *interlaced));
    }
}

// One picture split into different IDAT chunks, or compressed at different levels.
TEST(PngCorpus, ChunkingAndCompressionDoNotChangeThePicture) {
    for (const char* kind : {"0g16", "2c16"}) {
        const auto one = DecodeCorpus(std::string("pngsuite_oi1n") + kind + ".png");
        for (const char* split : {"oi2n", "oi4n", "oi9n"})
            EXPECT_TRUE(SamePicture(*one, *DecodeCorpus(std::string("pngsuite_") + split + kind + ".png"))) << split;
    }
    const auto stored = DecodeCorpus("pngsuite_z00n2c08.png");
    for (const char* level : {"z03", "z06", "z09"})
        EXPECT_TRUE(SamePicture(*stored, *DecodeCorpus(std::string("pngsuite_") + level + "n2c08.png"))) << level;
}

TEST(PngCorpus, TwoBitGreyBecomesFourBitsOverTheRamp) {
    for (const char* name : {"pngsuite_basn0g02.png", "pngsuite_basi0g02.png"}) {
        SCOPED_TRACE(name);
        const auto decoded = DecodeCorpus(name);
        const CxImage& image = *decoded;
        ASSERT_EQ(image.GetBpp(), 4u);
        const uint8_t ramp[4] = {0, 85, 170, 255};
        for (uint8_t i = 0; i < 4; ++i) EXPECT_EQ(image.GetPaletteColor(i).rgbRed, ramp[i]);
        std::set<int> used;
        for (uint32_t y = 0; y < image.GetHeight(); ++y)
            for (uint32_t x = 0; x < image.GetWidth(); ++x) used.insert(image.GetPixelIndex(x, y));
        EXPECT_EQ(used, (std::set<int>{0, 1, 2, 3}));
    }
}

TEST(PngCorpus, SixteenBitFilesBecomeEightBits) {
    const auto grey = DecodeCorpus("pngsuite_basn0g16.png");
    EXPECT_EQ(grey->GetBpp(), 8u);
    EXPECT_TRUE(grey->IsGrayScale());
    EXPECT_EQ(DecodeCorpus("pngsuite_basn2c16.png")->GetBpp(), 24u);
    const auto decoded = DecodeCorpus("pngsuite_basn6a16.png");
    const CxImage& rgba = *decoded;
    EXPECT_TRUE(rgba.AlphaIsValid());
    std::set<int> alphas;
    for (uint32_t y = 0; y < rgba.GetHeight(); ++y)
        for (uint32_t x = 0; x < rgba.GetWidth(); ++x) alphas.insert(rgba.AlphaGet(x, y));
    EXPECT_GT(alphas.size(), 2u) << "the file's alpha reaches the plane";
}

TEST(PngCorpus, DecodedFilesSurviveASaveAndReload) {
    for (const CorpusFile& entry : PngCorpus()) {
        if (entry.corrupt || entry.name.rfind("pngsuite_", 0) != 0) continue;
        CxImage image;
        if (!DecodeBytes(CorpusBytes(entry.name), image, CXIMAGE_FORMAT_UNKNOWN)) continue;
        CxImage again;
        ASSERT_TRUE(DecodeBytes(EncodeBytes(image, CXIMAGE_FORMAT_PNG), again, CXIMAGE_FORMAT_PNG))
            << entry.name << ": " << again.GetLastError();
        EXPECT_EQ(again.GetCodecOption(CXIMAGE_FORMAT_PNG), image.GetCodecOption(CXIMAGE_FORMAT_PNG));
        EXPECT_TRUE(SamePicture(image, again)) << entry.name;
    }
}

}  // namespace
