#pragma once
// What the two name dialogs do alike in Win32: the extension list from the
// template's initial data, the proposed name, reading a field, placement.
#include <windows.h>

#include <string>

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

// Centres the dialog on the work area of the monitor under the mouse: with no
// owner it would otherwise open at the screen's top left corner.
void CenterOnMouseMonitor(HWND dialog);

}  // namespace qlry
