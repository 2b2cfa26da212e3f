#include "platform/win32/win32_explorer_windows.h"

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/lazy_com.h"

namespace qlry {

namespace {

HWND Native(WindowId window) { return reinterpret_cast<HWND>(window); }
WindowId Id(HWND window) { return reinterpret_cast<WindowId>(window); }

// The file-system folder a browser shows; empty for a virtual folder.
std::wstring BrowserFolder(IShellBrowser& browser) {
    ComPtr<IShellView> view;
    ComPtr<IFolderView> folderView;
    ComPtr<IPersistFolder2> folder;
    if (FAILED(browser.QueryActiveShellView(view.put())) || !view ||
        FAILED(view->QueryInterface(IID_IFolderView, folderView.put_void())) ||
        FAILED(folderView->GetFolder(IID_IPersistFolder2, folder.put_void())) || !folder) {
        return {};
    }
    const LazyCom& com = GetLazyCom();
    PIDLIST_ABSOLUTE idList = nullptr;
    if (FAILED(folder->GetCurFolder(&idList)) || !idList) return {};
    wchar_t path[MAX_PATH] = {};
    const bool found = com.shGetPathFromIdList(idList, path) != FALSE;
    com.coTaskMemFree(idList);
    return found ? std::wstring(path) : std::wstring();
}

// One entry of IShellWindows; false when it is no folder browser.
bool DescribeWindow(IDispatch& item, ShellFolderWindow& out) {
    ComPtr<IWebBrowserApp> app;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    SHANDLE_PTR top = 0;
    HWND tab = nullptr;
    if (FAILED(item.QueryInterface(IID_IWebBrowserApp, app.put_void())) || FAILED(app->get_HWND(&top)) ||
        FAILED(item.QueryInterface(IID_IServiceProvider, services.put_void())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) || !browser) {
        return false;
    }
    if (FAILED(browser->GetWindow(&tab))) tab = nullptr;
    out.top = static_cast<WindowId>(top);
    out.tab = Id(tab);
    out.folder = BrowserFolder(*browser);
    return true;
}

}  // namespace

WindowId Win32ExplorerWindows::ForegroundWindow() { return Id(::GetForegroundWindow()); }

std::wstring Win32ExplorerWindows::ClassName(WindowId window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(Native(window), name, 256);
    return length > 0 ? std::wstring(name, static_cast<size_t>(length)) : std::wstring();
}

WindowId Win32ExplorerWindows::ActiveTab(WindowId top) {
    // Explorer keeps the shown tab's window first among its tab windows.
    return Id(::FindWindowExW(Native(top), nullptr, L"ShellTabWindowClass", nullptr));
}

std::vector<ShellFolderWindow> Win32ExplorerWindows::FolderWindows() {
    std::vector<ShellFolderWindow> windows;
    ComScope scope;
    if (!scope.Usable()) return windows;
    ComPtr<IShellWindows> shellWindows;
    if (FAILED(GetLazyCom().coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                             shellWindows.put_void())) ||
        !shellWindows) {
        return windows;
    }
    long count = 0;
    if (FAILED(shellWindows->get_Count(&count))) return windows;
    for (long i = 0; i < count; ++i) {
        VARIANT index{};
        index.vt = VT_I4;
        index.lVal = i;
        ComPtr<IDispatch> item;
        if (shellWindows->Item(index, item.put()) != S_OK || !item) continue;
        ShellFolderWindow window;
        if (DescribeWindow(*item, window)) windows.push_back(std::move(window));
    }
    return windows;
}

std::wstring Win32ExplorerWindows::DesktopFolder() {
    ComScope scope;
    return KnownFolderPath(FOLDERID_Desktop);
}

}  // namespace qlry
