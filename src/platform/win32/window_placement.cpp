#include "platform/win32/window_placement.h"

namespace qlry {

void CenterOnMouseMonitor(HWND window) {
    POINT mouse{};
    ::GetCursorPos(&mouse);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromPoint(mouse, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const RECT& area = monitor.rcWork;
    const int x = area.left + (area.right - area.left - (rect.right - rect.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (rect.bottom - rect.top)) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qlry
