#pragma once
// The per-user settings profile: sections and entries below the program's key
// in the current user's registry hive.
#include <string>

namespace qlry {

class Profile {
public:
    virtual ~Profile() = default;
    virtual int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) = 0;
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                                   const std::wstring& defaultValue) = 0;
    virtual bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) = 0;
    virtual bool WriteString(const std::wstring& section, const std::wstring& entry,
                             const std::wstring& value) = 0;
};

}  // namespace qlry
