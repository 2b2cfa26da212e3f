#pragma once
// The new-file dialogs of the program: the Win32 dialogs over their rules,
// the real file system, the local clock and the per-user profile.
#include <windows.h>

#include <string>

#include "platform/profile.h"
#include "transfer/name_dialogs.h"
#include "newfile/win32/win32_dialog_ports.h"

namespace qlry {

class Win32NameDialogs : public NameDialogs {
public:
    // `appTitle` is the caption of the existing-name message.
    Win32NameDialogs(HINSTANCE instance, Profile& profile, std::wstring appTitle);

    bool AskTextFileName(const std::wstring& folder, NewFileName& chosen) override;
    bool AskImageFileName(const std::wstring& folder, NewFileName& chosen) override;

private:
    HINSTANCE m_instance;
    Win32Clock m_clock;
    NameDialogServices m_services;
    std::wstring m_strAppTitle;
};

}  // namespace qlry
