#pragma once
// The dialog that names a new image file: template 201 over CImageNameDlg.
#include <windows.h>

#include <string>

#include "newfile/image_name_dlg.h"

namespace qlry {

// Shows the dialog modally, with no owner window; IDOK or IDCANCEL.
INT_PTR ShowImageNameDialog(HINSTANCE instance, CImageNameDlg& state, const std::wstring& appTitle);

}  // namespace qlry
