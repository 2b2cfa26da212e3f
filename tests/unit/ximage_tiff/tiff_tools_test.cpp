// What we write is read by libtiff's own tools (Debian's libtiff-tools):
// tiffinfo decodes every strip, tiffdump walks the directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tiff_test_support.h"

namespace {

using namespace qlry::test::tiff;

#ifndef _WIN32
// Exit status and output of a command.
int RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    return pclose(pipe);
}
#endif

TEST(TiffTools, LibtiffToolsAcceptWhatWeWrite) {
#ifdef _WIN32
    GTEST_SKIP() << "libtiff's tools run in the native tier";
#else
    std::string output;
    if (RunCommand("command -v tiffinfo && command -v tiffdump", output) != 0) GTEST_FAIL() << "libtiff-tools missing";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qlry_tiff_tools";
    std::filesystem::create_directories(dir);
    struct Case {
        const char* name;
        uint32_t bits;
        bool alpha;
        const char* expect;
    };
    for (const Case c : {Case{"bilevel", 1, false, "CCITT Group 4"}, Case{"four", 4, false, "LZW"},
                         Case{"grey", 8, false, "min-is-black"}, Case{"colour", 24, false, "JPEG"},
                         Case{"colour_alpha", 24, true, "unassoc-alpha"}, Case{"grey_alpha", 8, true, "unassoc-alpha"}}) {
        SCOPED_TRACE(c.name);
        CxImage image(45, 33, c.bits);
        FillPattern(image, c.bits);
        if (c.bits == 8) image.SetGrayPalette();
        if (c.alpha) image.AlphaCreate();
        image.SetXDpi(200);
        const auto bytes = EncodeBytes(image, CXIMAGE_FORMAT_TIF);
        ASSERT_FALSE(bytes.empty());
        const std::filesystem::path path = dir / (std::string(c.name) + ".tif");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        ASSERT_EQ(RunCommand("tiffinfo -D '" + path.string() + "'", output), 0) << output;
        EXPECT_EQ(output.find("rror"), std::string::npos) << output;
        EXPECT_NE(output.find("Image Width: 45 Image Length: 33"), std::string::npos) << output;
        EXPECT_NE(output.find(c.expect), std::string::npos) << output;
        EXPECT_NE(output.find("Resolution: 200"), std::string::npos) << output;
        ASSERT_EQ(RunCommand("tiffdump '" + path.string() + "'", output), 0) << output;
        EXPECT_NE(output.find("ImageWidth (256) SHORT (3) 1<45>"), std::string::npos) << output;
    }
    std::filesystem::remove_all(dir);
#endif
}

}  // namespace
