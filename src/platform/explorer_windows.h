#pragma once
// The windows of the shell, as the "/e" switch asks about them: the
// foreground window (GetForegroundWindow), its class (GetClassNameW), the
// active tab of an Explorer window (its first "ShellTabWindowClass" child),
// the open folder windows (IShellWindows, each browser's current folder) and
// the desktop folder (SHGetKnownFolderPath).
#include <cstdint>
#include <string>
#include <vector>

namespace qlry {

using WindowId = uintptr_t;  // HWND; 0 is none

struct ShellFolderWindow {
    WindowId top = 0;    // the top-level window (IWebBrowserApp::get_HWND)
    WindowId tab = 0;    // the browser's own window (IShellBrowser::GetWindow), one per tab
    std::wstring folder; // empty for a folder without a file-system path
};

class ExplorerWindows {
public:
    virtual ~ExplorerWindows() = default;
    virtual WindowId ForegroundWindow() = 0;
    virtual std::wstring ClassName(WindowId window) = 0;
    virtual WindowId ActiveTab(WindowId top) = 0;  // 0 when it has no tabs
    virtual std::vector<ShellFolderWindow> FolderWindows() = 0;
    virtual std::wstring DesktopFolder() = 0;  // empty when unknown
};

}  // namespace qlry
