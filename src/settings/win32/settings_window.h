#pragma once
// The settings window: template 210 over CSettingsDlg. It loads the common
// controls it needs (up-down, hotkey) itself, since only this path uses them.
#include <windows.h>

#include <string>

#include "platform/profile.h"

namespace qlry {

// Shows the window modally, with no owner window; IDOK or IDCANCEL. OK also
// gives the Start-menu shortcut the chosen hotkey, when the shortcut exists.
INT_PTR ShowSettingsWindow(HINSTANCE instance, Profile& profile, const std::wstring& appTitle);

}  // namespace qlry
