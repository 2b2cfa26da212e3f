// The five exports of QLRY_WS.dll and its entry point. No exception leaves
// any of them.
#include <windows.h>

#include <new>

#include "QLRY_WS.h"
#include "shellext/com/class_factory.h"
#include "shellext/com/proxy_entries.h"
#include "shellext/com/server_module.h"
#include "shellext/com/server_registrar.h"
#include "shellext/hresult.h"
#include "shellext/server_rules.h"

using qlry::g_module;

static_assert(qlry::kEInvalidArg == E_INVALIDARG && qlry::kEPointer == E_POINTER &&
              qlry::kEOutOfMemory == E_OUTOFMEMORY && qlry::kClassENoAggregation == CLASS_E_NOAGGREGATION &&
              qlry::kClassEClassNotAvailable == CLASS_E_CLASSNOTAVAILABLE && qlry::kSFalse == S_FALSE);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) g_module.m_hInstance = instance;
    if (reason == DLL_PROCESS_DETACH) delete g_module.m_factory.Take();
    return PrxDllMain(instance, reason, reserved);
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (PrxDllGetClassObject(clsid, iid, out) == S_OK) return S_OK;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_MyContextMenu)) return CLASS_E_CLASSNOTAVAILABLE;
    qlry::CClassFactory* factory =
        g_module.m_factory.GetOrCreate([] { return new (std::nothrow) qlry::CClassFactory; });
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return qlry::CanUnloadNow(PrxDllCanUnloadNow(), g_module.m_lock.Count());
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    try {
        qlry::CServerRegistrar registrar;
        return qlry::RegisterServer(registrar);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    try {
        qlry::CServerRegistrar registrar;
        return qlry::UnregisterServer(registrar);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR cmdLine) {
    try {
        qlry::CServerRegistrar registrar;
        return qlry::InstallServer(registrar, install != FALSE, cmdLine);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
