#pragma once
#include <windows.h>

namespace qlry {

// Centres a window on the work area of the monitor under the mouse: a
// dialog with no owner would otherwise open at the screen's top left corner.
void CenterOnMouseMonitor(HWND window);

}  // namespace qlry
