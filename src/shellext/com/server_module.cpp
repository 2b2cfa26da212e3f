#include "shellext/com/server_module.h"

namespace qlry {

CQLRY_WSModule g_module;

HRESULT CQLRY_WSModule::GetModulePath(wchar_t (&path)[MAX_PATH]) const noexcept {
    DWORD length = ::GetModuleFileNameW(m_hInstance, path, MAX_PATH);
    if (length == 0) return HRESULT_FROM_WIN32(::GetLastError());
    if (length >= MAX_PATH) {
        path[0] = 0;
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    return S_OK;
}

}  // namespace qlry
