#include "app/path_text.h"

namespace qlry {

std::wstring FindExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\ ");
    if (dot == std::wstring::npos || path[dot] != L'.') return {};
    return path.substr(dot);
}

std::wstring FindFileName(const std::wstring& path) {
    // A trailing separator belongs to the last name ("C:\dir\" gives "dir\").
    size_t end = path.size();
    if (end > 1 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
    const size_t separator = path.find_last_of(L"\\/:", end == 0 ? 0 : end - 1);
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring LowerAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

}  // namespace qlry
