#pragma once
// The extension's two registration scripts: 101 (the application id) and
// 102 (the class, its ProgIDs and the three context-menu handler keys).
// Tokens: %APPID%, %MODULE% (the DLL's full path), %FOLDER% (the DLL's folder
// with its closing backslash), %CLSID%, %LIBID%, %IID%.
#include <span>
#include <string>
#include <vector>

#include "shellext/reg_script.h"

namespace qlry {

inline constexpr wchar_t kDllFileName[] = L"QLRY_WS.dll";

std::span<const RegRow> AppIdScript();
std::span<const RegRow> ClassScript();
// What OLEAUT32's (per-user) registration of the DLL's type library writes
// below the classes: the DLL leaves these keys to OLEAUT32, an installer that
// cannot call it (an MSI package) writes them from here. The Windows tests
// check the table against the real registration.
std::span<const RegRow> TypeLibraryScript();

std::vector<RegToken> ServerTokens(const std::wstring& modulePath);

}  // namespace qlry
