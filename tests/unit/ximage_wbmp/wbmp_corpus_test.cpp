// Third-party WBMP files: each decodes to the size the suite states, writes
// back to the same bytes, and every truncation fails cleanly.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_paths.h"
#include "wbmp_test_support.h"

namespace {

using namespace qlry::test::wbmp;
using qlry::test::CorpusPath;
using Bytes = std::vector<uint8_t>;

struct CorpusFile {
    std::string path;       // inside the corpus
    unsigned width = 0;     // as the suite's note states them
    unsigned height = 0;
};

// The WBMP rows of MANIFEST.tsv with the "W x H" of their note.
std::vector<CorpusFile> WbmpCorpus() {
    std::vector<CorpusFile> files;
    std::ifstream manifest(CorpusPath("MANIFEST.tsv"));
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.rfind("wbmp/", 0) != 0) continue;
        CorpusFile file;
        file.path = line.substr(0, line.find('\t'));
        const std::string note = line.substr(line.rfind('\t') + 1);
        const size_t at = note.find("type 0, ");
        if (at != std::string::npos)
            std::sscanf(note.c_str() + at + 8, "%ux%u", &file.width, &file.height);
        files.push_back(file);
    }
    return files;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WbmpCorpus, FilesDecodeAndWriteBackTheSameBytes) {
    const std::vector<CorpusFile> files = WbmpCorpus();
    ASSERT_GE(files.size(), 6u);
    for (const CorpusFile& f : files) {
        SCOPED_TRACE(f.path);
        const Bytes file = ReadFile(CorpusPath(f.path));
        ASSERT_FALSE(file.empty());
        CxImage image;
        ASSERT_TRUE(DecodeBytes(file, image, CXIMAGE_FORMAT_UNKNOWN)) << image.GetLastError();
        EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_WBMP});
        ASSERT_NE(f.width, 0u) << "note without a size";
        EXPECT_EQ(image.GetWidth(), f.width);
        EXPECT_EQ(image.GetHeight(), f.height);

        // The encoder writes the same header form and rows; only the unused
        // bits of each row's last byte are cleared, and trailing bytes dropped.
        bool ok = false;
        const Bytes written = EncodeBytes(image, ok);
        ASSERT_TRUE(ok);
        ASSERT_LE(written.size(), file.size());
        const size_t lineBytes = (f.width + 7) / 8;
        const size_t headerBytes = written.size() - lineBytes * f.height;
        const uint8_t lastMask = f.width % 8 ? static_cast<uint8_t>(0xFF << (8 - f.width % 8)) : 0xFF;
        for (size_t i = 0; i < written.size(); ++i) {
            const bool last = i >= headerBytes && (i - headerBytes) % lineBytes == lineBytes - 1;
            ASSERT_EQ(written[i], last ? file[i] & lastMask : file[i]) << "byte " << i;
        }

        // Cut anywhere before the end of the rows: a clean failure; past it: the same picture.
        const size_t whole = written.size();
        const size_t step = file.size() > 4096 ? file.size() / 509 : 1;
        for (size_t cut = 0; cut < file.size(); cut += (cut < 16 || cut + 16 > whole) ? 1 : step) {
            CxImage part(2, 2, 8);
            const bool decoded = DecodeBytes(Bytes(file.begin(), file.begin() + cut), part);
            ASSERT_EQ(decoded, cut >= whole) << "cut at " << cut;
            if (decoded) {
                bool again = false;
                ASSERT_EQ(EncodeBytes(part, again), written);
            } else {
                EXPECT_EQ(part.GetWidth(), 2u);
                EXPECT_EQ(part.GetBpp(), 8u);
            }
        }
    }
}

}  // namespace
