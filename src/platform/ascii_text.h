#pragma once
// ASCII case rules for names the system compares (extensions, file names):
// only the letters A to Z change, so that no locale can make two different
// names equal.
#include <string>

namespace qlry {

inline wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

inline std::wstring LowerAscii(std::wstring text) {
    for (wchar_t& c : text) c = LowerAscii(c);
    return text;
}

inline bool EqualsIgnoringAsciiCase(const std::wstring& left, const std::wstring& right) {
    if (left.size() != right.size()) return false;
    for (size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i])) return false;
    return true;
}

// PathFindExtensionW: from the last dot to the end, dot included, when
// neither a backslash nor a space follows that dot; otherwise empty. A
// slash is no separator to it ("a.b/c" gives ".b/c").
inline std::wstring FindExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\ ");
    if (dot == std::wstring::npos || path[dot] != L'.') return {};
    return path.substr(dot);
}

}  // namespace qlry
