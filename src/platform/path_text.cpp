#include "platform/path_text.h"

namespace qlry {

std::wstring FindFileName(const std::wstring& path) {
    // A name starts after a backslash, slash or colon that is followed by
    // something other than another backslash or slash: trailing and doubled
    // separators stay with the name before them ("C:\dir\" gives "dir\",
    // "C:\\" stays whole).
    size_t start = 0;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const wchar_t c = path[i];
        const wchar_t next = path[i + 1];
        if ((c == L'\\' || c == L'/' || c == L':') && next != L'\\' && next != L'/') start = i + 1;
    }
    return path.substr(start);
}

}  // namespace qlry
