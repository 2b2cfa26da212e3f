#pragma once
// Where Quillory.exe is: the per-user value AppFolder, written by the
// installation, joined with "\Quillory.exe".
#include <cstddef>

#include "platform/registry.h"
#include "platform/shell.h"

namespace qlry {

inline constexpr size_t kPathChars = 1024;
inline constexpr wchar_t kInstallKey[] = L"Software\\Varnel\\Quillory";
inline constexpr wchar_t kAppFolderValue[] = L"AppFolder";
inline constexpr wchar_t kAppFileName[] = L"Quillory.exe";

// Fills `path` and returns whether that file exists. The value is read with a
// limit of 1023 bytes and must be a terminated REG_SZ / REG_EXPAND_SZ (not
// expanded) or a REG_MULTI_SZ ending in two zeros; otherwise false.
bool ReadAppPath(Registry& registry, Shell& shell, wchar_t (&path)[kPathChars]);

}  // namespace qlry
