#pragma once
// Reading back the menu a handler built: texts, ids, positions, submenus and
// each command's help text, and finding an entry by its text.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

inline constexpr UINT kFirstCommandId = 100;

// One line per entry; entries of popups are indented under them.
std::wstring DescribeMenu(HMENU menu, IContextMenu* handler, const std::wstring& indent = L"  ");

// The command id of the entry with this text (popups searched), or 0.
UINT FindCommand(HMENU menu, const std::wstring& text);
