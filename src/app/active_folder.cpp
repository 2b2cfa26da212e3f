#include "app/active_folder.h"

bool IsDesktopWindowClass(const std::wstring& className) {
    return className == L"Progman" || className == L"WorkerW";
}

std::wstring ActiveExplorerFolder(qlry::ExplorerWindows& windows) {
    const qlry::WindowId foreground = windows.ForegroundWindow();
    if (!foreground) return {};
    // The desktop first: it asks no COM server.
    if (IsDesktopWindowClass(windows.ClassName(foreground))) return windows.DesktopFolder();

    // An Explorer window with tabs lists each tab under the same top-level
    // window: the one that is shown wins, else the first.
    const std::vector<qlry::ShellFolderWindow> folders = windows.FolderWindows();
    const qlry::ShellFolderWindow* chosen = nullptr;
    qlry::WindowId activeTab = 0;
    for (const qlry::ShellFolderWindow& window : folders) {
        if (window.top != foreground) continue;
        if (!chosen) {
            chosen = &window;
            activeTab = windows.ActiveTab(foreground);
        }
        if (activeTab && window.tab == activeTab) chosen = &window;
    }
    // A virtual folder (This PC, Control Panel) has no path: nothing to do.
    return chosen ? chosen->folder : std::wstring();
}

bool ResolveActiveFolder(CCommandRequest& request, qlry::ExplorerWindows& windows) {
    if (!request.m_bActiveFolder) return true;
    request.m_strPath = ActiveExplorerFolder(windows);
    return !request.m_strPath.empty();
}
