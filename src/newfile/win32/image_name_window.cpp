#include "newfile/win32/image_name_window.h"

#include "resource.h"
#include "newfile/win32/name_window.h"
#include "newfile/win32/win32_dialog_ports.h"

namespace qlry {

namespace {

struct ImageNameWindow {
    HINSTANCE instance;
    CImageNameDlg& state;
    const std::wstring& appTitle;

    BOOL OnInitDialog(HWND dialog) {
        FillListsFromInitData(dialog, instance, IDD_IMAGE_NAME);
        ::SendDlgItemMessageW(dialog, IDC_EXTENSION, CB_SETCURSEL, static_cast<WPARAM>(state.m_nExtIndex), 0);
        ProposeName(dialog, state.m_strName);
        CenterOnMouseMonitor(dialog);
        return FALSE;  // the focus is set: the name field
    }

    void OnOK(HWND dialog) {
        Win32WarningBox warning(dialog, appTitle);
        const auto selected = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_EXTENSION, CB_GETCURSEL, 0, 0));
        if (state.OnOK(ControlText(dialog, IDC_FILE_NAME), selected, warning)) {
            ::EndDialog(dialog, IDOK);
        } else {
            RefocusName(dialog);
        }
    }
};

}  // namespace

INT_PTR ShowImageNameDialog(HINSTANCE instance, CImageNameDlg& state, const std::wstring& appTitle) {
    ImageNameWindow window{instance, state, appTitle};
    return ShowNameDialog(instance, IDD_IMAGE_NAME, window);
}

}  // namespace qlry
