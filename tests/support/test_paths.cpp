#include "support/test_paths.h"

namespace qlry::test {

std::string SourcePath(const std::string& relative) { return std::string(QLRY_SOURCE_DIR) + "/" + relative; }

std::string CorpusPath(const std::string& relative) { return std::string(QLRY_CORPUS_DIR) + "/" + relative; }

}  // namespace qlry::test
