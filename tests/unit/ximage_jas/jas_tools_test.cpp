// Other programs agree with us: OpenJPEG's opj_decompress reads the JP2 and
// code stream files we write, netpbm reads our PNM and Sun raster files,
// and ImageMagick decodes the third-party PNM and Sun raster files to the
// same pixels as we do. Native only; skipped where a tool is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "jas_test_util.h"
#include "support/corpus.h"
#include "support/test_paths.h"
#include "ximage/ximage.h"

namespace {

using namespace jastest;

#ifdef _WIN32
bool HasTool(const char*) { return false; }
#else
bool HasTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }
#endif

bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// netpbm's reading of a Sun raster file, as a PNM file beside it.
bool RasToPnm(const std::string& ras, const std::string& pnm) {
    return std::system(("rasttopnm '" + ras + "' 2>/dev/null > '" + pnm + "'").c_str()) == 0;
}

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qlry_jas_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + name;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// ImageMagick's reading of a file as 8-bit red, green, blue, top row first.
Bytes MagickRgb(const std::string& path) {
    const std::string out = path + ".rgb";
    if (!RunTool("convert '" + path + "' -depth 8 rgb:'" + out + "'")) return {};
    Bytes bytes = ReadFile(out);
    std::remove(out.c_str());
    return bytes;
}

// The largest difference between an image and red, green, blue bytes.
int DifferenceFromRgb(const CxImage& image, const Bytes& rgb) {
    if (rgb.size() != size_t{image.GetWidth()} * image.GetHeight() * 3) return 256;
    int worst = 0;
    size_t i = 0;
    for (uint32_t y = image.GetHeight(); y-- > 0;)
        for (uint32_t x = 0; x < image.GetWidth(); ++x, i += 3) {
            const CxRgbQuad c = image.GetPixelColor(x, y, false);
            worst = std::max({worst, std::abs(c.rgbRed - rgb[i]), std::abs(c.rgbGreen - rgb[i + 1]),
                              std::abs(c.rgbBlue - rgb[i + 2])});
        }
    return worst;
}

TEST(JasTools, OpenJpegReadsTheFilesWeWrite) {
    if (!HasTool("opj_decompress") || !HasTool("convert")) GTEST_SKIP() << "opj_decompress or convert missing";
    CxImage grey, colour;
    MakeGrey(grey, 61, 40);
    MakeColour(colour, 61, 40);
    for (const uint8_t quality : {100, 90, 20}) {
        for (CxImage* image : {&grey, &colour}) {
            image->SetJpegQuality(quality);
            for (const auto& [format, extension] : {std::pair{CXIMAGE_FORMAT_JP2, ".jp2"}, std::pair{CXIMAGE_FORMAT_JPC, ".j2k"}}) {
                const std::string path = TempPath(std::to_string(quality) + extension);
                const std::string decoded = path + (image == &grey ? ".pgm" : ".ppm");
                ASSERT_TRUE(WriteFile(path, EncodeBytes(*image, format)));
                ASSERT_TRUE(RunTool("opj_decompress -i '" + path + "' -o '" + decoded + "'")) << path;
                const int worst = DifferenceFromRgb(*image, MagickRgb(decoded));
                // Lossless at quality 100 (and where the lossless code fits
                // the rate); at 20 only close.
                if (quality == 100) EXPECT_EQ(worst, 0) << path;
                else EXPECT_LT(worst, 256) << path;
                CxImage ours;
                ASSERT_TRUE(DecodeBytes(ReadFile(path), ours, format));
                EXPECT_EQ(DifferenceFromRgb(ours, MagickRgb(decoded)), 0) << path << ": we and OpenJPEG differ";
                std::remove(path.c_str());
                std::remove(decoded.c_str());
            }
        }
    }
}

TEST(JasTools, NetpbmReadsOurPnmAndSunRasterFiles) {
    if (!HasTool("pamfile") || !HasTool("rasttopnm") || !HasTool("convert")) GTEST_SKIP() << "netpbm or convert missing";
    CxImage grey, colour;
    MakeGrey(grey, 33, 17);
    MakeColour(colour, 33, 17);
    for (CxImage* image : {&grey, &colour}) {
        const std::string pnm = TempPath(image == &grey ? "g.pgm" : "c.ppm");
        ASSERT_TRUE(WriteFile(pnm, EncodeBytes(*image, CXIMAGE_FORMAT_PNM)));
        EXPECT_TRUE(RunTool("pamfile '" + pnm + "'")) << pnm;
        EXPECT_EQ(DifferenceFromRgb(*image, MagickRgb(pnm)), 0) << pnm;

        const std::string ras = TempPath(image == &grey ? "g.ras" : "c.ras");
        const std::string converted = ras + ".pnm";
        ASSERT_TRUE(WriteFile(ras, EncodeBytes(*image, CXIMAGE_FORMAT_RAS)));
        ASSERT_TRUE(RasToPnm(ras, converted)) << ras;
        EXPECT_EQ(DifferenceFromRgb(*image, MagickRgb(converted)), 0) << ras << " through rasttopnm";
        EXPECT_EQ(DifferenceFromRgb(*image, MagickRgb(ras)), 0) << ras << " through ImageMagick";
        for (const std::string& path : {pnm, ras, converted}) std::remove(path.c_str());
    }
}

// For Sun raster files netpbm is the reference: ImageMagick reads the
// run-length coded 24-bit type red first, where the format (and netpbm)
// keeps the standard type's blue first.
TEST(JasTools, ReferenceToolsDecodeTheCorpusAsWeDo) {
    if (!HasTool("convert") || !HasTool("rasttopnm")) GTEST_SKIP() << "convert or rasttopnm missing";
    for (const char* folder : {"pnm", "ras"}) {
        for (const qlry::test::CorpusEntry& entry : qlry::test::CorpusEntries(folder)) {
            CxImage ours;
            if (entry.corrupt || !DecodeBytes(qlry::test::ReadCorpusBytes(entry.path), ours, CXIMAGE_FORMAT_UNKNOWN))
                continue;
            const std::string path = qlry::test::CorpusPath(entry.path);
            Bytes theirs;
            if (std::string(folder) == "ras") {
                const std::string pnm = TempPath("corpus.pnm");
                if (RasToPnm(path, pnm)) theirs = MagickRgb(pnm);
                std::remove(pnm.c_str());
            } else {
                theirs = MagickRgb(path);
            }
            if (theirs.empty()) continue;  // a file ImageMagick declines
            // 16-bit samples: ImageMagick rounds, we keep the high byte.
            EXPECT_LE(DifferenceFromRgb(ours, theirs), 1) << entry.path;
        }
    }
}

}  // namespace
