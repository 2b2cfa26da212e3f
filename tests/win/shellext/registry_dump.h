#pragma once
// A whole registry tree as sorted text lines, every value with its type and
// its data, so that two dumps taken around an operation show exactly what it
// added, removed or changed anywhere below the root.
#include <windows.h>

#include <string>
#include <vector>

namespace qlry::wintest {

// One line per key ("HKLM\path") and per value ("HKLM\path|name=type:data";
// "@" names the default value). Text values are written as text, every other
// type as hexadecimal bytes. `rootName` spells the root in the lines.
std::vector<std::wstring> DumpTree(HKEY root, const std::wstring& rootName, const std::wstring& path = L"");

struct TreeChanges {
    std::vector<std::wstring> added;    // lines only in `after`
    std::vector<std::wstring> removed;  // lines only in `before`
};
TreeChanges CompareDumps(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after);

// Whether `line` is the key `key` or lies below it (`key` spelt as in the lines).
bool LineIsUnder(const std::wstring& line, const std::wstring& key);

}  // namespace qlry::wintest
