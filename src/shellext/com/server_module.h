#pragma once
// CQLRY_WSModule: the state the whole DLL shares — its instance handle, the
// lock count, the class factory (created once, kept without counting) and
// the per-user registration flag.
#include <windows.h>

#include <atomic>

#include "shellext/once_slot.h"
#include "shellext/server_lock.h"

namespace qlry {

class CClassFactory;

class CQLRY_WSModule {
public:
    HINSTANCE m_hInstance = nullptr;
    CServerLock m_lock;
    COnceSlot<CClassFactory> m_factory;
    std::atomic<bool> m_bPerUser{false};

    // The DLL's full path. A path that fills the 260-character buffer fails
    // with HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
    HRESULT GetModulePath(wchar_t (&path)[MAX_PATH]) const noexcept;
};

extern CQLRY_WSModule g_module;

}  // namespace qlry
