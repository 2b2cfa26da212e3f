#pragma once
// The dialog that names a new text file: template 205 over CTextNameDlg.
#include <windows.h>

#include <string>

#include "newfile/text_name_dlg.h"

namespace qlry {

// Shows the dialog modally, with no owner window; IDOK or IDCANCEL.
INT_PTR ShowTextNameDialog(HINSTANCE instance, CTextNameDlg& state, const std::wstring& appTitle);

}  // namespace qlry
