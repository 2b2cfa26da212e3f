#pragma once
// The state and rules of the dialog that names a new text file: the proposed
// name, the remembered extension, what OK accepts and what it remembers. The
// Win32 dialog (transfer/win32/text_name_window.h) shows it.
#include <string>

#include "newfile/name_dialog_services.h"
#include "transfer/name_dialogs.h"

class CTextNameDlg {
public:
    // Reads the remembered extension and proposes the current time as name.
    CTextNameDlg(const std::wstring& folder, qlry::NameDialogServices& services);

    // The list entry equal to m_strExt without regard to case, or -1 when
    // none is: the extension is then shown as typed text.
    int InitialExtensionEntry() const;

    // OK with the name field's text and the combo box's field text. True
    // when the dialog may close; otherwise the refusal has been shown and
    // nothing is remembered.
    bool OnOK(const std::wstring& nameField, const std::wstring& extensionField, qlry::WarningBox& warning);

    qlry::NewFileName Chosen() const { return {m_strName, m_strExt}; }

    std::wstring m_strFolder;
    std::wstring m_strName;
    std::wstring m_strExt;

private:
    qlry::NameDialogServices& m_services;
};
