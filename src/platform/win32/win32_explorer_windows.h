#pragma once
#include "platform/explorer_windows.h"

namespace qlry {

// The shell's windows through user32 and, for the folder windows and the
// desktop folder, through COM loaded on first use (lazy_com.h).
class Win32ExplorerWindows : public ExplorerWindows {
public:
    WindowId ForegroundWindow() override;
    std::wstring ClassName(WindowId window) override;
    WindowId ActiveTab(WindowId top) override;
    std::vector<ShellFolderWindow> FolderWindows() override;
    std::wstring DesktopFolder() override;
};

}  // namespace qlry
