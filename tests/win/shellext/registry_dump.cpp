#include "win/shellext/registry_dump.h"

#include <algorithm>
#include <iterator>

namespace qlry::wintest {

namespace {

std::wstring Hex(const BYTE* data, DWORD size) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(size * 2);
    for (DWORD i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

std::wstring ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    std::wstring text = std::to_wstring(type) + L":";
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        // Multi-strings keep their inner terminators visible as '|'.
        std::wstring chars(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (!chars.empty() && chars.back() == 0) chars.pop_back();
        std::replace(chars.begin(), chars.end(), L'\0', L'|');
        return text + chars;
    }
    return text + Hex(data.data(), size);
}

void DumpInto(HKEY root, const std::wstring& spelt, const std::wstring& path, std::vector<std::wstring>& lines) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    lines.push_back(spelt);
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestName = 0, largestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr, &values, &longestName,
                           &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        lines.push_back(spelt + L"|<unreadable>");
        ::RegCloseKey(key);
        return;
    }
    std::vector<wchar_t> name(longestName + 2);
    std::vector<BYTE> data(largestData + sizeof(wchar_t));
    for (DWORD index = 0; index < values; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0, size = static_cast<DWORD>(data.size());
        LONG status = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status != ERROR_SUCCESS) {
            // Still visible as a difference if it concerns us.
            lines.push_back(spelt + L"|<value " + std::to_wstring(index) + L" unreadable: " +
                            std::to_wstring(status) + L">");
            continue;
        }
        lines.push_back(spelt + L"|" + (nameLength ? std::wstring(name.data(), nameLength) : L"@") + L"=" +
                        ValueText(type, data, size));
    }
    std::vector<std::wstring> children;
    std::vector<wchar_t> child(longestSubKey + 2);
    for (DWORD index = 0; index < subKeys; ++index) {
        DWORD length = static_cast<DWORD>(child.size());
        if (::RegEnumKeyExW(key, index, child.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(child.data(), length);
    }
    ::RegCloseKey(key);
    for (const auto& name : children)
        DumpInto(root, spelt + L"\\" + name, path.empty() ? name : path + L"\\" + name, lines);
}

}  // namespace

std::vector<std::wstring> DumpTree(HKEY root, const std::wstring& rootName, const std::wstring& path) {
    std::vector<std::wstring> lines;
    DumpInto(root, path.empty() ? rootName : rootName + L"\\" + path, path, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TreeChanges CompareDumps(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
    TreeChanges changes;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(changes.added));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(changes.removed));
    return changes;
}

bool LineIsUnder(const std::wstring& line, const std::wstring& key) {
    if (line.size() < key.size() || ::CompareStringOrdinal(line.c_str(), static_cast<int>(key.size()), key.c_str(),
                                                            static_cast<int>(key.size()), TRUE) != CSTR_EQUAL)
        return false;
    return line.size() == key.size() || line[key.size()] == L'\\' || line[key.size()] == L'|';
}

}  // namespace qlry::wintest
