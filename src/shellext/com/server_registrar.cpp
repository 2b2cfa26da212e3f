#include "shellext/com/server_registrar.h"

#include <oleauto.h>

#include "platform/registry.h"
#include "shellext/com/proxy_entries.h"
#include "shellext/com/server_module.h"
#include "shellext/reg_tables.h"

// mingw's oleauto.h lacks these two; OLEAUT32 exports them on Vista and later.
using RegisterTypeLibForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnRegisterTypeLibForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

namespace qlry {

namespace {

template <class Fn>
Fn OleAutFunction(const char* name) {
    HMODULE oleaut = ::GetModuleHandleW(L"oleaut32.dll");
    return oleaut ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(oleaut, name))) : nullptr;
}

// Releases a type library on scope exit.
class TypeLibHolder {
public:
    ~TypeLibHolder() {
        if (m_library) m_library->Release();
    }
    ITypeLib** put() { return &m_library; }
    ITypeLib* get() const { return m_library; }

private:
    ITypeLib* m_library = nullptr;
};

}  // namespace

void CServerRegistrar::EnterSystemLocale() {
    m_savedLocale = ::GetThreadLocale();
    ::SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
}

void CServerRegistrar::RestoreLocale() { ::SetThreadLocale(m_savedLocale); }

HResult CServerRegistrar::ApplyScript(bool appId, bool registering) {
    wchar_t path[MAX_PATH];
    HRESULT result = g_module.GetModulePath(path);
    if (FAILED(result)) return result;
    RegTarget target = g_module.m_bPerUser ? UserClasses(SystemRegistry()) : MachineClasses(SystemRegistry());
    std::vector<RegToken> tokens = ServerTokens(path);
    auto rows = appId ? AppIdScript() : ClassScript();
    return registering ? RegisterScript(target, rows, tokens) : UnregisterScript(target, rows, tokens);
}

HResult CServerRegistrar::ApplyAppIdScript(bool registering) { return ApplyScript(true, registering); }

HResult CServerRegistrar::ApplyClassScript(bool registering) { return ApplyScript(false, registering); }

HResult CServerRegistrar::RegisterTypeLibrary() {
    wchar_t path[MAX_PATH];
    HRESULT result = g_module.GetModulePath(path);
    if (FAILED(result)) return result;
    TypeLibHolder library;
    result = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
    if (FAILED(result)) return result;

    // The help folder is the DLL's own folder.
    wchar_t folder[MAX_PATH];
    ::lstrcpynW(folder, path, MAX_PATH);
    if (wchar_t* slash = wcsrchr(folder, L'\\')) slash[1] = 0;

    auto forUser = OleAutFunction<RegisterTypeLibForUserFn>("RegisterTypeLibForUser");
    if (g_module.m_bPerUser && forUser) return forUser(library.get(), path, folder);
    return ::RegisterTypeLib(library.get(), path, folder);
}

HResult CServerRegistrar::UnregisterTypeLibrary() {
    wchar_t path[MAX_PATH];
    HRESULT result = g_module.GetModulePath(path);
    if (FAILED(result)) return result;
    TypeLibHolder library;
    result = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
    if (FAILED(result)) return result;
    TLIBATTR* attributes = nullptr;
    result = library.get()->GetLibAttr(&attributes);
    if (FAILED(result)) return result;
    const TLIBATTR a = *attributes;
    library.get()->ReleaseTLibAttr(attributes);

    // Nothing to remove is not a failure: otherwise the application id
    // script, which comes after, would never run again.
    BSTR registered = nullptr;
    if (FAILED(::QueryPathOfRegTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, &registered))) return S_OK;
    ::SysFreeString(registered);

    auto forUser = OleAutFunction<UnRegisterTypeLibForUserFn>("UnRegisterTypeLibForUser");
    if (g_module.m_bPerUser && forUser) return forUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    return ::UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

HResult CServerRegistrar::RegisterProxy() { return PrxDllRegisterServer(); }

HResult CServerRegistrar::UnregisterProxy() { return PrxDllUnregisterServer(); }

void CServerRegistrar::SwitchToPerUser() { g_module.m_bPerUser = true; }

bool CServerRegistrar::IsPerUser() const { return g_module.m_bPerUser; }

}  // namespace qlry
