#include "newfile/win32/text_name_window.h"

#include "resource.h"
#include "newfile/win32/name_window.h"
#include "newfile/win32/win32_dialog_ports.h"

namespace qlry {

namespace {

struct TextNameWindow {
    HINSTANCE instance;
    CTextNameDlg& state;
    const std::wstring& appTitle;

    BOOL OnInitDialog(HWND dialog) {
        FillListsFromInitData(dialog, instance, IDD_TEXT_NAME);
        const int entry = state.InitialExtensionEntry();
        if (entry >= 0) {
            ::SendDlgItemMessageW(dialog, IDC_EXTENSION, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        } else {
            ::SetDlgItemTextW(dialog, IDC_EXTENSION, state.m_strExt.c_str());
        }
        ProposeName(dialog, state.m_strName);
        CenterOnMouseMonitor(dialog);
        return FALSE;  // the focus is set: the name field
    }

    void OnOK(HWND dialog) {
        Win32WarningBox warning(dialog, appTitle);
        // The combo box's field holds the typed or the selected extension.
        if (state.OnOK(ControlText(dialog, IDC_FILE_NAME), ControlText(dialog, IDC_EXTENSION), warning)) {
            ::EndDialog(dialog, IDOK);
        } else {
            RefocusName(dialog);
        }
    }
};

}  // namespace

INT_PTR ShowTextNameDialog(HINSTANCE instance, CTextNameDlg& state, const std::wstring& appTitle) {
    TextNameWindow window{instance, state, appTitle};
    return ShowNameDialog(instance, IDD_TEXT_NAME, window);
}

}  // namespace qlry
