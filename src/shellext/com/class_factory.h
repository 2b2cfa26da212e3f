#pragma once
// The class object of CMyContextMenu. The module keeps the one instance
// without counting it; every reference a client holds, and LockServer, keeps
// the module's lock count up.
#include <windows.h>
#include <objbase.h>

#include <atomic>

namespace qlry {

class CClassFactory final : public IClassFactory {
public:
    CClassFactory() = default;
    ~CClassFactory() = default;  // at DLL unload, by the module
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override;
    STDMETHODIMP LockServer(BOOL lock) noexcept override;

private:
    std::atomic<ULONG> m_cRef{0};  // the clients' references
};

}  // namespace qlry
