#pragma once
// What the two name dialogs do alike in Win32: the extension list from the
// template's initial data, the proposed name, reading a field, placement.
#include <windows.h>

#include <string>

#include "platform/win32/dialog_look.h"
#include "platform/win32/window_placement.h"

namespace qlry {

// Adds the list entries that the initial data of template `templateId`
// holds to their combo boxes; false when the data is missing or malformed.
bool FillListsFromInitData(HWND dialog, HINSTANCE instance, int templateId);

// Puts the name into the name field and gives it the focus with the whole
// text selected, so that typing replaces it.
void ProposeName(HWND dialog, const std::wstring& name);

// After a refused name: the name field again, its text selected.
void RefocusName(HWND dialog);

std::wstring ControlText(HWND dialog, int id);

// The dialog procedure both name dialogs share: `Window` answers
// OnInitDialog(dialog) and OnOK(dialog); Cancel closes without a word.
template <class Window>
INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<Window*>(lParam)->OnInitDialog(dialog);
            return FALSE;  // the focus is set: the name field
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
INT_PTR ShowNameDialog(HINSTANCE instance, int templateId, Window& window) {
    SelectDialogLook();
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), nullptr, NameDialogProc<Window>,
                             reinterpret_cast<LPARAM>(&window));
}

}  // namespace qlry
