#pragma once
#include "platform/profile.h"

namespace qlry {

// Sections are keys below HKEY_CURRENT_USER\Software\<maker>\<application>;
// integers are DWORD values, strings REG_SZ values.
class Win32Profile : public Profile {
public:
    Win32Profile(std::wstring maker, std::wstring application);

    int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) override;
    std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& defaultValue) override;
    bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) override;
    bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) override;

    const std::wstring& KeyPath() const { return m_keyPath; }

private:
    std::wstring SectionPath(const std::wstring& section) const;
    std::wstring m_keyPath;
};

}  // namespace qlry
