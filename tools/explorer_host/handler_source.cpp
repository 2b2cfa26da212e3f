#include "handler_source.h"

#include "QLRY_WS.h"
#include "shellext/class_ids.h"

std::wstring PerUserServerPath() {
    std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + qlry::kClsidMyContextMenu + L"\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof path - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &bytes) != ERROR_SUCCESS)
        return {};
    return path;
}

HRESULT CreateHandler(HandlerSource& source, IContextMenu** menu) {
    *menu = nullptr;
    if (source.dllPath.empty())
        return ::CoCreateInstance(CLSID_MyContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                  reinterpret_cast<void**>(menu));

    if (!source.module) source.module = ::LoadLibraryW(source.dllPath.c_str());
    if (!source.module) return HRESULT_FROM_WIN32(::GetLastError());
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(source.module, "DllGetClassObject")));
    if (!getClassObject) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

    IClassFactory* factory = nullptr;
    HRESULT result = getClassObject(CLSID_MyContextMenu, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result)) return result;
    result = factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(menu));
    factory->Release();
    return result;
}
