#include "newfile/win32/win32_name_dialogs.h"

#include "newfile/image_name_dlg.h"
#include "newfile/text_name_dlg.h"
#include "newfile/win32/image_name_window.h"
#include "newfile/win32/text_name_window.h"

namespace qlry {

Win32NameDialogs::Win32NameDialogs(HINSTANCE instance, Profile& profile, std::wstring appTitle)
    : m_instance(instance),
      m_services{profile, SystemFileSystem(), m_clock},
      m_strAppTitle(std::move(appTitle)) {}

bool Win32NameDialogs::AskTextFileName(const std::wstring& folder, NewFileName& chosen) {
    CTextNameDlg dialog(folder, m_services);
    if (ShowTextNameDialog(m_instance, dialog, m_strAppTitle) != IDOK) return false;
    chosen = dialog.Chosen();
    return true;
}

bool Win32NameDialogs::AskImageFileName(const std::wstring& folder, NewFileName& chosen) {
    CImageNameDlg dialog(folder, m_services);
    if (ShowImageNameDialog(m_instance, dialog, m_strAppTitle) != IDOK) return false;
    chosen = dialog.Chosen();
    return true;
}

}  // namespace qlry
