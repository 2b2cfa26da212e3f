#include <windows.h>

#include "platform/registry.h"

namespace qlry {

namespace {

HKEY RootKey(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    }
    return HKEY_CURRENT_USER;
}

HKEY Native(HKey key) { return reinterpret_cast<HKEY>(key); }

const wchar_t* ValueName(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

class Win32Registry : public Registry {
public:
    long OpenKey(RegRoot root, const std::wstring& subKey, uint32_t access, HKey& key) override {
        HKEY opened = nullptr;
        LSTATUS status = ::RegOpenKeyExW(RootKey(root), subKey.c_str(), 0, access, &opened);
        key = status == ERROR_SUCCESS ? reinterpret_cast<HKey>(opened) : nullptr;
        return status;
    }

    long CreateKey(RegRoot root, const std::wstring& subKey, HKey& key) override {
        HKEY created = nullptr;
        LSTATUS status = ::RegCreateKeyExW(RootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &created, nullptr);
        key = status == ERROR_SUCCESS ? reinterpret_cast<HKey>(created) : nullptr;
        return status;
    }

    long QueryValue(HKey key, const std::wstring& name, uint32_t& type, void* data, uint32_t& bytes) override {
        DWORD nativeType = 0;
        DWORD size = bytes;
        LSTATUS status =
            ::RegQueryValueExW(Native(key), ValueName(name), nullptr, &nativeType, static_cast<BYTE*>(data), &size);
        type = nativeType;
        bytes = size;
        return status;
    }

    long SetValue(HKey key, const std::wstring& name, uint32_t type, const void* data, uint32_t bytes) override {
        return ::RegSetValueExW(Native(key), ValueName(name), 0, type, static_cast<const BYTE*>(data), bytes);
    }

    long DeleteValue(HKey key, const std::wstring& name) override {
        return ::RegDeleteValueW(Native(key), ValueName(name));
    }

    long QueryInfoKey(HKey key, uint32_t& subKeys, uint32_t& values) override {
        DWORD keys = 0, vals = 0;
        LSTATUS status = ::RegQueryInfoKeyW(Native(key), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &vals,
                                            nullptr, nullptr, nullptr, nullptr);
        subKeys = keys;
        values = vals;
        return status;
    }

    long DeleteKey(RegRoot root, const std::wstring& subKey) override {
        return ::RegDeleteKeyW(RootKey(root), subKey.c_str());
    }

    long DeleteTree(RegRoot root, const std::wstring& subKey) override {
        if (subKey.empty()) return ERROR_ACCESS_DENIED;  // never a whole root
        return ::RegDeleteTreeW(RootKey(root), subKey.c_str());
    }

    long CloseKey(HKey key) override { return ::RegCloseKey(Native(key)); }
};

}  // namespace

Registry& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace qlry
