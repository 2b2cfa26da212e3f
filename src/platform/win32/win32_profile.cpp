#include "platform/win32/win32_profile.h"

#include <windows.h>

#include <vector>

#include "platform/registry.h"

namespace qlry {

Win32Profile::Win32Profile(std::wstring maker, std::wstring application)
    : m_keyPath(L"Software\\" + maker + L"\\" + application) {}

std::wstring Win32Profile::SectionPath(const std::wstring& section) const { return m_keyPath + L"\\" + section; }

int Win32Profile::GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, SectionPath(section).c_str(), entry.c_str(),
                                          RRF_RT_REG_DWORD, nullptr, &value, &size);
    return status == ERROR_SUCCESS ? static_cast<int>(value) : defaultValue;
}

std::wstring Win32Profile::GetString(const std::wstring& section, const std::wstring& entry,
                                     const std::wstring& defaultValue) {
    const std::wstring path = SectionPath(section);
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), entry.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return defaultValue;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), entry.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(),
                       &size) != ERROR_SUCCESS) {
        return defaultValue;
    }
    return std::wstring(buffer.data());
}

bool Win32Profile::WriteInt(const std::wstring& section, const std::wstring& entry, int value) {
    Registry& registry = SystemRegistry();
    UniqueHKey key(registry);
    if (registry.CreateKey(RegRoot::CurrentUser, SectionPath(section), key.put()) != kErrorSuccess) return false;
    const DWORD data = static_cast<DWORD>(value);
    return registry.SetValue(key.get(), entry, kRegDword, &data, sizeof(data)) == kErrorSuccess;
}

bool Win32Profile::WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) {
    Registry& registry = SystemRegistry();
    UniqueHKey key(registry);
    if (registry.CreateKey(RegRoot::CurrentUser, SectionPath(section), key.put()) != kErrorSuccess) return false;
    const auto bytes = static_cast<uint32_t>((value.size() + 1) * sizeof(wchar_t));
    return registry.SetValue(key.get(), entry, kRegSz, value.c_str(), bytes) == kErrorSuccess;
}

}  // namespace qlry
