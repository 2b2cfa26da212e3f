#include "platform/win32/win32_ui.h"

#include <windows.h>

namespace qlry {

void Win32WaitCursor::Begin() { m_previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }

void Win32WaitCursor::End() { ::SetCursor(static_cast<HCURSOR>(m_previous)); }

}  // namespace qlry
