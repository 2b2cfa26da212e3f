#include "settings/win32/settings_window.h"

#include <commctrl.h>

#include "resource.h"
#include "platform/win32/modal_dialog.h"
#include "platform/win32/window_placement.h"
#include "settings/settings_dlg.h"
#include "settings/win32/paste_shortcut.h"

namespace qlry {

namespace {

struct SettingsWindow {
    CSettingsDlg& state;
    const std::wstring& appTitle;

    BOOL OnInitDialog(HWND dialog) {
        const UserSettings& shown = state.m_settings;
        ::CheckRadioButton(dialog, IDC_ASK_NAME, IDC_TIMESTAMP_NAME,
                           shown.askForName ? IDC_ASK_NAME : IDC_TIMESTAMP_NAME);
        ::SendDlgItemMessageW(dialog, IDC_QUALITY, EM_LIMITTEXT, 3, 0);
        ::SendDlgItemMessageW(dialog, IDC_QUALITY_SPIN, UDM_SETRANGE32, kMinQuality, kMaxQuality);
        ::SendDlgItemMessageW(dialog, IDC_QUALITY_SPIN, UDM_SETPOS32, 0, shown.quality);
        ::SetDlgItemInt(dialog, IDC_QUALITY, static_cast<UINT>(shown.quality), FALSE);
        // A key without Ctrl or Alt becomes Ctrl+Alt+key as it is pressed.
        ::SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                              MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
        ::SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, shown.hotKey, 0);
        CenterOnMouseMonitor(dialog);
        return TRUE;  // the first tab stop, the chosen way of naming, gets the focus
    }

    void OnOK(HWND dialog) {
        const bool askForName = ::IsDlgButtonChecked(dialog, IDC_ASK_NAME) == BST_CHECKED;
        const auto hotKey = static_cast<uint16_t>(::SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
        const std::wstring refusal = state.OnOK(askForName, ControlText(dialog, IDC_QUALITY), hotKey);
        if (refusal.empty()) {
            if (state.m_settings.hotKey != state.m_original.hotKey) UpdatePasteShortcutHotKey(state.m_settings.hotKey);
            ::EndDialog(dialog, IDOK);
            return;
        }
        ::MessageBoxW(dialog, refusal.c_str(), appTitle.c_str(), MB_OK | MB_ICONWARNING);
        const int field = state.m_refused == CSettingsDlg::HotKeyField ? IDC_HOTKEY : IDC_QUALITY;
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, field)), TRUE);
    }
};

// Per-monitor aware for this window's thread (Windows 10 1703 and later
// then scale a template dialog on each monitor); elsewhere nothing changes.
class PerMonitorDpiScope {
public:
    PerMonitorDpiScope() {
        using SetContext = HANDLE(WINAPI*)(HANDLE);
        m_set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
        const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
        if (m_set) m_old = m_set(perMonitorV2);
    }
    ~PerMonitorDpiScope() {
        if (m_set && m_old) m_set(m_old);
    }
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

private:
    HANDLE(WINAPI* m_set)(HANDLE) = nullptr;
    HANDLE m_old = nullptr;
};

}  // namespace

INT_PTR ShowSettingsWindow(HINSTANCE instance, Profile& profile, const std::wstring& appTitle) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&controls);
    PerMonitorDpiScope dpi;
    CSettingsDlg state(profile);
    SettingsWindow window{state, appTitle};
    return ShowModalDialog(instance, IDD_SETTINGS, window);
}

}  // namespace qlry
