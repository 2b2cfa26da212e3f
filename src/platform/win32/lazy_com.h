#pragma once
// COM and shell-folder calls looked up at run time. Quillory.exe starts on
// every paste and should not load ole32.dll for that; only the paths that
// need COM (finding the active Explorer window, writing a shortcut) load it,
// through these pointers.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace qlry {

struct LazyCom {
    decltype(&::CoInitializeEx) coInitializeEx = nullptr;
    decltype(&::CoUninitialize) coUninitialize = nullptr;
    decltype(&::CoCreateInstance) coCreateInstance = nullptr;
    decltype(&::CoTaskMemFree) coTaskMemFree = nullptr;
    decltype(&::SHGetPathFromIDListW) shGetPathFromIdList = nullptr;
    decltype(&::SHGetKnownFolderPath) shGetKnownFolderPath = nullptr;

    bool Usable() const {
        return coInitializeEx && coUninitialize && coCreateInstance && coTaskMemFree && shGetPathFromIdList &&
               shGetKnownFolderPath;
    }
};

// Loads ole32.dll and shell32.dll at the first call; the DLLs stay loaded.
const LazyCom& GetLazyCom();

// COM for the calling thread for one scope (apartment-threaded); left alone
// when the thread already has another model.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return m_usable; }

private:
    bool m_usable = false;
    bool m_initialised = false;
};

// Releases a COM interface on scope exit.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    T** put() { reset(); return &m_p; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// A known folder's path (SHGetKnownFolderPath); empty when unknown.
std::wstring KnownFolderPath(REFKNOWNFOLDERID id);

}  // namespace qlry
