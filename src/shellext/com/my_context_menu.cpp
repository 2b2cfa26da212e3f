#include "shellext/com/my_context_menu.h"

#include <new>

#include "platform/win32/win32_clipboard.h"
#include "shellext/com/server_module.h"

namespace qlry {

namespace {

Win32Clipboard& ProcessClipboard() {
    static Win32Clipboard clipboard;
    return clipboard;
}

ShellExtPorts SystemPorts() { return {ProcessClipboard(), SystemShell(), SystemMenu(), SystemRegistry()}; }

}  // namespace

CMyContextMenu::CMyContextMenu(IUnknown* outer) : m_pOuter(outer ? outer : &m_inner), m_logic(SystemPorts()) {
    g_module.m_lock.Lock();
}

CMyContextMenu::~CMyContextMenu() {
    if (m_pTypeInfo) m_pTypeInfo->Release();
    g_module.m_lock.Unlock();
}

HRESULT CMyContextMenu::Create(IUnknown* outer, REFIID iid, void** out) noexcept {
    auto* object = new (std::nothrow) CMyContextMenu(outer);
    if (!object) return E_OUTOFMEMORY;
    HRESULT result = object->m_inner.QueryInterface(iid, out);
    object->m_inner.Release();  // the creation reference; gone with the object on failure
    return result;
}

// The non-delegating unknown: the object's identity and its reference count.
STDMETHODIMP CMyContextMenu::CInnerUnknown::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    CMyContextMenu& self = m_owner;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
        // Not aggregated, IUnknown comes through the first interface.
        *out = self.m_pOuter == this ? static_cast<IUnknown*>(static_cast<IMyContextMenu*>(&self))
                                     : static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    if (IsEqualIID(iid, IID_IMyContextMenu) || IsEqualIID(iid, IID_IDispatch))
        *out = static_cast<IMyContextMenu*>(&self);
    else if (IsEqualIID(iid, IID_IShellExtInit))
        *out = static_cast<IShellExtInit*>(&self);
    else if (IsEqualIID(iid, IID_IContextMenu))
        *out = static_cast<IContextMenu*>(&self);
    else
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CMyContextMenu::CInnerUnknown::AddRef() noexcept { return ++m_owner.m_cRef; }

STDMETHODIMP_(ULONG) CMyContextMenu::CInnerUnknown::Release() noexcept {
    ULONG count = --m_owner.m_cRef;
    if (count == 0) delete &m_owner;
    return count;
}

STDMETHODIMP CMyContextMenu::QueryInterface(REFIID iid, void** out) noexcept {
    return m_pOuter->QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CMyContextMenu::AddRef() noexcept { return m_pOuter->AddRef(); }

STDMETHODIMP_(ULONG) CMyContextMenu::Release() noexcept { return m_pOuter->Release(); }

// Loaded at the first IDispatch call only: never while a menu is built.
HRESULT CMyContextMenu::LoadTypeInfo() noexcept {
    if (m_pTypeInfo) return S_OK;
    wchar_t path[MAX_PATH];
    HRESULT result = g_module.GetModulePath(path);
    if (FAILED(result)) return result;
    ITypeLib* library = nullptr;
    result = ::LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(result)) return result;
    result = library->GetTypeInfoOfGuid(IID_IMyContextMenu, &m_pTypeInfo);
    library->Release();
    return result;
}

STDMETHODIMP CMyContextMenu::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CMyContextMenu::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT result = LoadTypeInfo();
    if (FAILED(result)) return result;
    m_pTypeInfo->AddRef();
    *info = m_pTypeInfo;
    return S_OK;
}

STDMETHODIMP CMyContextMenu::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) noexcept {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT result = LoadTypeInfo();
    if (FAILED(result)) return result;
    return ::DispGetIDsOfNames(m_pTypeInfo, names, count, ids);
}

STDMETHODIMP CMyContextMenu::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argError) noexcept {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT loaded = LoadTypeInfo();
    if (FAILED(loaded)) return loaded;
    return ::DispInvoke(static_cast<IMyContextMenu*>(this), m_pTypeInfo, id, flags, params, result, exception,
                        argError);
}

STDMETHODIMP CMyContextMenu::Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY) noexcept {
    return m_logic.Initialize(pidlFolder, pdtobj);
}

STDMETHODIMP CMyContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                              UINT uFlags) noexcept {
    return m_logic.QueryContextMenu(hmenu, indexMenu, idCmdFirst, idCmdLast, uFlags);
}

STDMETHODIMP CMyContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept {
    if (!pici || pici->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    // fMask stands at the same place in CMINVOKECOMMANDINFOEX.
    return m_logic.InvokeCommand(reinterpret_cast<uintptr_t>(pici->lpVerb), pici->fMask);
}

STDMETHODIMP CMyContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName,
                                              UINT cchMax) noexcept {
    return m_logic.GetCommandString(idCmd, uType, pszName, cchMax);
}

}  // namespace qlry
