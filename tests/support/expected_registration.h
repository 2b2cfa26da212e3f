#pragma once
// What registering QLRY_WS writes, written out key by key as lines
// ("path", "path|name=text", "path|@=text" for a default value), sorted; and
// what unregistering keeps. `prefix` is "" for HKCR or "Software\Classes\".
#include <string>
#include <vector>

namespace qlry::test {

std::vector<std::wstring> ExpectedRegistration(const std::wstring& prefix, const std::wstring& modulePath);
std::vector<std::wstring> KeptAfterUnregistration(const std::wstring& prefix);
// The keys a registration owns (everything else in it is a shared parent).
std::vector<std::wstring> OwnedRegistrationKeys(const std::wstring& prefix);

}  // namespace qlry::test
