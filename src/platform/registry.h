#pragma once
// The registry, shaped after RegOpenKeyExW / RegCreateKeyExW /
// RegQueryValueExW / RegSetValueExW / RegDeleteValueW / RegQueryInfoKeyW /
// RegDeleteKeyW / RegDeleteTreeW / RegCloseKey. Results are Win32 error codes.
// Keys are opened from one of the predefined roots by their full path.
#include <cstdint>
#include <string>

namespace qlry {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine };

struct RegKeyTag;
using HKey = RegKeyTag*;

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInsufficientBuffer = 122;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorKeyDeleted = 1018;

class Registry {
public:
    virtual ~Registry() = default;
    virtual long OpenKey(RegRoot root, const std::wstring& subKey, uint32_t access, HKey& key) = 0;
    // Opens the key with full access, creating it and any missing parents.
    virtual long CreateKey(RegRoot root, const std::wstring& subKey, HKey& key) = 0;
    // An empty name is the default value. `bytes` is the buffer size on the
    // way in and the value's size on the way out; `data` may be null to ask
    // for the size. kErrorMoreData when the value does not fit.
    virtual long QueryValue(HKey key, const std::wstring& name, uint32_t& type, void* data, uint32_t& bytes) = 0;
    virtual long SetValue(HKey key, const std::wstring& name, uint32_t type, const void* data, uint32_t bytes) = 0;
    virtual long DeleteValue(HKey key, const std::wstring& name) = 0;
    virtual long QueryInfoKey(HKey key, uint32_t& subKeys, uint32_t& values) = 0;
    // Deletes a key that has no subkeys (its values go with it).
    virtual long DeleteKey(RegRoot root, const std::wstring& subKey) = 0;
    // Deletes a key with everything below it.
    virtual long DeleteTree(RegRoot root, const std::wstring& subKey) = 0;
    virtual long CloseKey(HKey key) = 0;
};

Registry& SystemRegistry();

// Closes a key on scope exit.
class UniqueHKey {
public:
    explicit UniqueHKey(Registry& registry) : m_registry(registry) {}
    ~UniqueHKey() { reset(); }
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;

    HKey get() const { return m_key; }
    HKey& put() { reset(); return m_key; }
    void reset() {
        if (m_key) m_registry.CloseKey(m_key);
        m_key = nullptr;
    }
    explicit operator bool() const { return m_key != nullptr; }

private:
    Registry& m_registry;
    HKey m_key = nullptr;
};

}  // namespace qlry
