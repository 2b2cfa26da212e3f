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

}  // namespace qlry
