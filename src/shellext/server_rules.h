#pragma once
// The rules of the server's exported functions and of its class factory,
// free of COM so that their order and results can be tested with fakes.
#include "shellext/hresult.h"

namespace qlry {

// The platform steps of (un)registration, in the order the rules call them.
class ServerSteps {
public:
    virtual ~ServerSteps() = default;
    virtual void EnterSystemLocale() = 0;  // remembers the thread's locale
    virtual void RestoreLocale() = 0;
    virtual HResult ApplyAppIdScript(bool registering) = 0;
    virtual HResult ApplyClassScript(bool registering) = 0;
    virtual HResult RegisterTypeLibrary() = 0;
    virtual HResult UnregisterTypeLibrary() = 0;
    virtual HResult RegisterProxy() = 0;    // NdrDllRegisterProxy
    virtual HResult UnregisterProxy() = 0;  // NdrDllUnregisterProxy
    virtual void SwitchToPerUser() = 0;     // for the rest of the process
    virtual bool IsPerUser() const = 0;
};

// DllRegisterServer: scripts 101 and 102 and the type library under the
// system locale, then the proxy/stub. In per-user mode the proxy/stub step is
// left out: the RPC runtime writes its interface keys machine-wide, which a
// user without administrator rights may not do, and the handler is only ever
// called in-process by the thread that created it, so it needs no proxy.
HResult RegisterServer(ServerSteps& steps);
// DllUnregisterServer: script 102, the type library and script 101 under the
// system locale, then the proxy/stub's register and unregister calls (again
// not in per-user mode).
HResult UnregisterServer(ServerSteps& steps);
// DllInstall: "user" (any case, nothing after it) switches to per-user mode.
HResult InstallServer(ServerSteps& steps, bool install, const wchar_t* cmdLine);
bool IsPerUserCommandLine(const wchar_t* cmdLine);

// DllCanUnloadNow over the proxy/stub's answer and the lock count.
HResult CanUnloadNow(HResult proxyAnswer, long lockCount);

// IClassFactory::CreateInstance, before any object is made.
HResult CheckCreateInstance(bool outerGiven, bool iidIsIUnknown, bool resultGiven);

}  // namespace qlry
