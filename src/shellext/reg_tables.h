#pragma once
// The extension's two registration scripts: 101 (the application id) and
// 102 (the class, its ProgIDs and the three context-menu handler keys).
// Tokens: %APPID%, %MODULE% (the DLL's full path), %CLSID%, %LIBID%.
#include <span>
#include <string>
#include <vector>

#include "shellext/reg_script.h"

namespace qlry {

std::span<const RegRow> AppIdScript();
std::span<const RegRow> ClassScript();

std::vector<RegToken> ServerTokens(const std::wstring& modulePath);

}  // namespace qlry
