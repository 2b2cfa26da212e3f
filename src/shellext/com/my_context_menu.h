#pragma once
// CMyContextMenu: the COM object Explorer creates for each menu request. It
// answers IMyContextMenu (dual, from the type library), IDispatch,
// IShellExtInit and IContextMenu, may be aggregated, and hands Explorer's
// calls to CContextMenuLogic over the Win32 ports. Used by one thread, so its
// reference count is a plain counter; the module lock count is not.
#include <windows.h>
#include <shlobj.h>

#include "QLRY_WS.h"
#include "shellext/context_menu_logic.h"

namespace qlry {

class CMyContextMenu final : public IMyContextMenu, public IShellExtInit, public IContextMenu {
public:
    // Creates an object (aggregated when `outer` is given) and queries `iid`;
    // the object goes again when the query fails.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out) noexcept;

    // IUnknown, delegating to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IDispatch, from the type library in this DLL's resources.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) noexcept override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) noexcept override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT uFlags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName,
                                  UINT cchMax) noexcept override;

private:
    // The non-delegating unknown that an aggregating outer object holds.
    class CInnerUnknown final : public IUnknown {
    public:
        explicit CInnerUnknown(CMyContextMenu& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override;
        STDMETHODIMP_(ULONG) AddRef() noexcept override;
        STDMETHODIMP_(ULONG) Release() noexcept override;

    private:
        CMyContextMenu& m_owner;
    };

    explicit CMyContextMenu(IUnknown* outer);
    ~CMyContextMenu();
    CMyContextMenu(const CMyContextMenu&) = delete;
    CMyContextMenu& operator=(const CMyContextMenu&) = delete;

    HRESULT LoadTypeInfo() noexcept;

    ULONG m_cRef = 1;
    CInnerUnknown m_inner{*this};
    IUnknown* m_pOuter;
    ITypeInfo* m_pTypeInfo = nullptr;
    CContextMenuLogic m_logic;
};

}  // namespace qlry
