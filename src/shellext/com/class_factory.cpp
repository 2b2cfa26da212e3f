#include "shellext/com/class_factory.h"

#include "shellext/com/my_context_menu.h"
#include "shellext/com/server_module.h"
#include "shellext/server_rules.h"

namespace qlry {

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() noexcept {
    g_module.m_lock.Lock();
    return ++m_cRef;
}

STDMETHODIMP_(ULONG) CClassFactory::Release() noexcept {
    ULONG count = --m_cRef;
    g_module.m_lock.Unlock();
    return count;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    HRESULT result = CheckCreateInstance(outer != nullptr, IsEqualIID(iid, IID_IUnknown), out != nullptr);
    if (out) *out = nullptr;
    if (FAILED(result)) return result;
    return CMyContextMenu::Create(outer, iid, out);
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) noexcept {
    if (lock)
        g_module.m_lock.Lock();
    else
        g_module.m_lock.Unlock();
    return S_OK;
}

}  // namespace qlry
