#include "platform/win32/win32_profile.h"

#include <windows.h>

#include <vector>

namespace qlry {

namespace {

// An open registry key, closed on scope exit.
class UniqueHkey {
public:
    UniqueHkey() = default;
    ~UniqueHkey() { if (m_key) ::RegCloseKey(m_key); }
    UniqueHkey(const UniqueHkey&) = delete;
    UniqueHkey& operator=(const UniqueHkey&) = delete;
    HKEY get() const { return m_key; }
    HKEY* put() { return &m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

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
    UniqueHkey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD data = static_cast<DWORD>(value);
    return ::RegSetValueExW(key.get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof(data)) == ERROR_SUCCESS;
}

bool Win32Profile::WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) {
    UniqueHkey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            bytes) == ERROR_SUCCESS;
}

}  // namespace qlry
