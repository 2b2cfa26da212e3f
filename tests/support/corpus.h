#pragma once
// The third-party corpus in tests/corpus: its manifest rows and its files' bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace qlry::test {

struct CorpusEntry {
    std::string name;  // the file name inside its folder
    std::string path;  // inside the corpus, folder included: what ReadCorpusBytes takes
    std::string note;  // the manifest's last column
    bool corrupt;      // broken on purpose: the note starts with "CORRUPT"
};

// The manifest rows of one folder of the corpus ("bmp", "png", ...).
std::vector<CorpusEntry> CorpusEntries(const std::string& folder);

// The bytes of a corpus file, by its path inside the corpus; empty when absent.
std::vector<uint8_t> ReadCorpusBytes(const std::string& relative);

}  // namespace qlry::test
