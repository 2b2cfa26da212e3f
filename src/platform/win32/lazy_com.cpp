#include "platform/win32/lazy_com.h"

namespace qlry {

namespace {

template <class Function>
void Find(HMODULE module, const char* name, Function& out) {
    out = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

LazyCom Load() {
    LazyCom com;
    HMODULE ole32 = ::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    HMODULE shell32 = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    Find(ole32, "CoInitializeEx", com.coInitializeEx);
    Find(ole32, "CoUninitialize", com.coUninitialize);
    Find(ole32, "CoCreateInstance", com.coCreateInstance);
    Find(ole32, "CoTaskMemFree", com.coTaskMemFree);
    Find(shell32, "SHGetPathFromIDListW", com.shGetPathFromIdList);
    Find(shell32, "SHGetKnownFolderPath", com.shGetKnownFolderPath);
    return com;
}

}  // namespace

const LazyCom& GetLazyCom() {
    static const LazyCom com = Load();
    return com;
}

ComScope::ComScope() {
    const LazyCom& com = GetLazyCom();
    if (!com.Usable()) return;
    const HRESULT result = com.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    m_initialised = SUCCEEDED(result);
    m_usable = m_initialised || result == RPC_E_CHANGED_MODE;
}

ComScope::~ComScope() {
    if (m_initialised) GetLazyCom().coUninitialize();
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID id) {
    const LazyCom& com = GetLazyCom();
    if (!com.Usable()) return {};
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(com.shGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = path;
    com.coTaskMemFree(path);
    return result;
}

}  // namespace qlry
