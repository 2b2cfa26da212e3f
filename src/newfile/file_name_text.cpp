#include "newfile/file_name_text.h"

#include <cwchar>
#include <string_view>

namespace qlry {

namespace {

bool IsWhiteSpace(wchar_t c) {
    switch (c) {
        case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0020:
        case 0x0085: case 0x00A0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
        case 0x205F: case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

}  // namespace

std::wstring TrimWhiteSpace(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::wstring ReplaceInvalidNameChars(const std::wstring& text) {
    constexpr std::wstring_view kInvalid = L"\\/:*?\"<>|";
    std::wstring cleaned = text;
    for (wchar_t& c : cleaned) {
        if (kInvalid.find(c) != std::wstring_view::npos) c = L' ';
    }
    return cleaned;
}

std::wstring MakeTimestampName(const LocalTime& time) {
    wchar_t text[64] = {};
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%04d%02d%02d %02d%02d%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

}  // namespace qlry
