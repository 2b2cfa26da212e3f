#pragma once
// What the two name dialogs do alike in Win32: the extension list from the
// template's initial data, the proposed name, placement.
#include <windows.h>

#include <string>

#include "platform/win32/dialog_look.h"
#include "platform/win32/modal_dialog.h"
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

// Shows dialog template `templateId` modally, with no owner window.
template <class Window>
INT_PTR ShowNameDialog(HINSTANCE instance, int templateId, Window& window) {
    SelectDialogLook();
    return ShowModalDialog(instance, templateId, window);
}

}  // namespace qlry
