#pragma once
// Locations of test inputs, as the running test program spells paths.
#include <string>

namespace qlry::test {

std::string SourcePath(const std::string& relative);  // inside the repository
std::string CorpusPath(const std::string& relative);  // inside the third-party corpus (tests/corpus)

}  // namespace qlry::test
