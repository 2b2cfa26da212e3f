#pragma once
// The dialog procedure of our modal OK/Cancel dialogs: `Window` answers
// OnInitDialog(dialog), whose result WM_INITDIALOG returns (TRUE: the first
// tab stop gets the focus; FALSE: the window has set it), and OnOK(dialog),
// which ends the dialog or keeps it open; Cancel closes without a word.
#include <windows.h>

#include <string>

namespace qlry {

template <class Window>
INT_PTR CALLBACK ModalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return reinterpret_cast<Window*>(lParam)->OnInitDialog(dialog);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && self) {
                self->OnOK(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// Shows dialog template `templateId` modally, with no owner window.
template <class Window>
INT_PTR ShowModalDialog(HINSTANCE instance, int templateId, Window& window) {
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), nullptr, ModalDialogProc<Window>,
                             reinterpret_cast<LPARAM>(&window));
}

// The whole text of a dialog's control.
std::wstring ControlText(HWND dialog, int id);

}  // namespace qlry
