#pragma once
// The local clock and the warning message box of the name dialogs.
#include <windows.h>

#include <string>

#include "newfile/name_dialog_services.h"

namespace qlry {

class Win32Clock : public Clock {
public:
    LocalTime Now() override;  // GetLocalTime
};

// MessageBoxW with OK and a warning icon, owned by the dialog, so that the
// dialog waits for it and stays open behind it.
class Win32WarningBox : public WarningBox {
public:
    Win32WarningBox(HWND owner, const std::wstring& caption) : m_owner(owner), m_caption(caption) {}
    void Show(const std::wstring& text) override;

private:
    HWND m_owner;
    const std::wstring& m_caption;
};

}  // namespace qlry
