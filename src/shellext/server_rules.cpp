#include "shellext/server_rules.h"

#include <cwctype>

namespace qlry {

namespace {

// Holds the system locale for the scope of a (un)registration.
class SystemLocaleScope {
public:
    explicit SystemLocaleScope(ServerSteps& steps) : m_steps(steps) { m_steps.EnterSystemLocale(); }
    ~SystemLocaleScope() { m_steps.RestoreLocale(); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    ServerSteps& m_steps;
};

HResult RegisterEntries(ServerSteps& steps) {
    SystemLocaleScope locale(steps);
    HResult result = steps.ApplyAppIdScript(true);
    if (Failed(result)) return result;
    // The one class of the object map; it declares no component categories.
    result = steps.ApplyClassScript(true);
    if (Failed(result)) return result;
    return steps.RegisterTypeLibrary();
}

HResult UnregisterEntries(ServerSteps& steps) {
    SystemLocaleScope locale(steps);
    HResult result = steps.ApplyClassScript(false);
    if (Failed(result)) return result;
    result = steps.UnregisterTypeLibrary();
    if (Failed(result)) return result;
    return steps.ApplyAppIdScript(false);
}

}  // namespace

HResult RegisterServer(ServerSteps& steps) {
    HResult result = RegisterEntries(steps);
    if (Failed(result) || steps.IsPerUser()) return result;
    return steps.RegisterProxy();
}

HResult UnregisterServer(ServerSteps& steps) {
    HResult result = UnregisterEntries(steps);
    if (Failed(result) || steps.IsPerUser()) return result;
    result = steps.RegisterProxy();
    if (Failed(result)) return result;
    return steps.UnregisterProxy();
}

bool IsPerUserCommandLine(const wchar_t* cmdLine) {
    if (!cmdLine) return false;
    // Five characters with the terminator: "users" does not match.
    const wchar_t user[] = L"user";
    for (int i = 0; i < 5; ++i) {
        if (std::towlower(static_cast<wint_t>(cmdLine[i])) != static_cast<wint_t>(user[i])) return false;
        if (cmdLine[i] == 0) break;
    }
    return true;
}

HResult InstallServer(ServerSteps& steps, bool install, const wchar_t* cmdLine) {
    if (IsPerUserCommandLine(cmdLine)) steps.SwitchToPerUser();
    if (!install) return UnregisterServer(steps);
    HResult result = RegisterServer(steps);
    if (Failed(result)) UnregisterServer(steps);  // take back what got written
    return result;
}

HResult CanUnloadNow(HResult proxyAnswer, long lockCount) {
    if (proxyAnswer != kSOk) return proxyAnswer;
    return lockCount != 0 ? kSFalse : kSOk;
}

HResult CheckCreateInstance(bool outerGiven, bool iidIsIUnknown, bool resultGiven) {
    if (!resultGiven) return kEPointer;
    if (outerGiven && !iidIsIUnknown) return kClassENoAggregation;
    return kSOk;
}

}  // namespace qlry
