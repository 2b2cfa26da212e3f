#include "support/corpus.h"

#include <fstream>
#include <iterator>

#include "support/test_paths.h"

namespace qlry::test {

std::vector<CorpusEntry> CorpusEntries(const std::string& folder) {
    std::vector<CorpusEntry> entries;
    std::ifstream manifest(CorpusPath("MANIFEST.tsv"));
    const std::string prefix = folder + "/";
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        const std::string path = line.substr(0, line.find('\t'));
        const std::string note = line.substr(line.rfind('\t') + 1);
        entries.push_back({path.substr(prefix.size()), path, note, note.rfind("CORRUPT", 0) == 0});
    }
    return entries;
}

std::vector<uint8_t> ReadCorpusBytes(const std::string& relative) {
    std::ifstream in(CorpusPath(relative), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qlry::test
