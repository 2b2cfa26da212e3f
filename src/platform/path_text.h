#pragma once
// Path helpers that behave as the shell's path functions do, so that both
// deliverables and the image library split a path the way Explorer does.
#include <string>

namespace qlry {

// PathFindExtensionW: from the last dot to the end, dot included, when
// neither a backslash nor a space follows that dot; otherwise empty. A
// slash is no separator to it ("a.b/c" gives ".b/c").
inline std::wstring FindExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\ ");
    if (dot == std::wstring::npos || path[dot] != L'.') return {};
    return path.substr(dot);
}

// PathFindFileNameW: the part after the last backslash, slash or colon that
// another backslash or slash does not follow.
std::wstring FindFileName(const std::wstring& path);

}  // namespace qlry
