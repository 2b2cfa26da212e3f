#pragma once
// The state and rules of the dialog that names a new image file: the
// proposed name, the remembered list entry, what OK accepts and what it
// remembers. The Win32 dialog (transfer/win32/image_name_window.h) shows it.
#include <string>

#include "newfile/name_dialog_services.h"
#include "transfer/name_dialogs.h"

class CImageNameDlg {
public:
    // Reads the remembered entry and proposes the current time as name. A
    // remembered index that names no entry selects the first, ".bmp", so
    // the list always has a selection.
    CImageNameDlg(const std::wstring& folder, qlry::NameDialogServices& services);

    // OK with the name field's text and the list's selected index. True when
    // the dialog may close; otherwise the refusal has been shown and nothing
    // is remembered.
    bool OnOK(const std::wstring& nameField, int selectedIndex, qlry::WarningBox& warning);

    qlry::NewFileName Chosen() const { return {m_strName, m_strExt}; }

    std::wstring m_strFolder;
    std::wstring m_strExt;
    std::wstring m_strName;
    int m_nExtIndex = 0;

private:
    qlry::NameDialogServices& m_services;
};

// The index itself when it names an entry of the image list, else 0.
int ImageExtensionEntry(int index);
