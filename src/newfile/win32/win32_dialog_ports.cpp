#include "newfile/win32/win32_dialog_ports.h"

namespace qlry {

LocalTime Win32Clock::Now() {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

void Win32WarningBox::Show(const std::wstring& text) {
    ::MessageBoxW(m_owner, text.c_str(), m_caption.c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace qlry
