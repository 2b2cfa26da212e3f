#pragma once
// The registration steps on the real system: the thread locale, the two
// scripts over the registry, the type library from this DLL's resources and
// the merged proxy/stub.
#include <windows.h>

#include "shellext/server_rules.h"

namespace qlry {

class CServerRegistrar final : public ServerSteps {
public:
    void EnterSystemLocale() override;
    void RestoreLocale() override;
    HResult ApplyAppIdScript(bool registering) override;
    HResult ApplyClassScript(bool registering) override;
    HResult RegisterTypeLibrary() override;
    HResult UnregisterTypeLibrary() override;
    HResult RegisterProxy() override;
    HResult UnregisterProxy() override;
    void SwitchToPerUser() override;
    bool IsPerUser() const override;

private:
    HResult ApplyScript(bool appId, bool registering);

    LCID m_savedLocale = 0;
};

}  // namespace qlry
