#include "app/win32/quillory_app.h"

#include <windows.h>

#include "about/about_dlg.h"
#include "app/command_request.h"
#include "app/dispatch.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_ui.h"
#include "newfile/win32/win32_name_dialogs.h"
#include "app/active_folder.h"
#include "newfile/quick_new_file_name.h"
#include "platform/win32/win32_explorer_windows.h"
#include "settings/win32/settings_window.h"

namespace {

constexpr UINT kIdsAppTitle = 57344;
constexpr wchar_t kMaker[] = L"Varnel";

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    // Length 0 asks for a read-only pointer into the resource itself.
    const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(L"Quillory");
}

}  // namespace

CQuilloryApp::CQuilloryApp(void* instance) : m_hInstance(instance) {}

bool CQuilloryApp::InitInstance() {
    const auto instance = static_cast<HINSTANCE>(m_hInstance);

    // 1. The platform's look for dialog controls is selected when the first
    //    dialog opens (SelectDialogLook), so that a copy or a paste does not
    //    load the common controls library.

    // 2. Settings live below Software\Varnel\<application title>.
    m_strAppTitle = LoadResourceString(instance, kIdsAppTitle);
    qlry::Win32Profile profile(kMaker, m_strAppTitle);

    // 3. Fonts and cursor of the About box, made on every start.
    m_pUiResources = std::make_unique<CUiResources>(instance);

    // 4. The command line.
    CCommandRequest request;
    const int count = request.ParseCommandLine();

    if (request.m_bSettings) {
        qlry::ShowSettingsWindow(instance, profile, m_strAppTitle);
    } else if (count <= 0) {
        // 5. No usable argument: the About box.
        CAboutDlg dialog(instance, *m_pUiResources, m_strAppTitle);
        dialog.DoModal();
    } else {
        // 6. One operation; its status is not used.
        qlry::Win32Clipboard clipboard;
        qlry::Win32WaitCursor waitCursor;
        qlry::Win32NameDialogs dialogs(instance, profile, m_strAppTitle);
        qlry::Win32Clock clock;
        qlry::QuickNameDialogs quickNames({profile, qlry::SystemFileSystem(), clock});  // "q": no window
        qlry::Win32ExplorerWindows explorerWindows;                                     // "e"
        qlry::TransferServices services{clipboard, qlry::SystemGlobalMemory(), qlry::SystemFileSystem(),
                                        waitCursor, profile,
                                        request.m_bQuick ? static_cast<qlry::NameDialogs*>(&quickNames) : &dialogs};
        if (request.m_nMode == CCommandRequest::ModeCopy) {
            RunCopy(request.m_strPath, services);
        } else if (request.m_nMode == CCommandRequest::ModePaste && ResolveActiveFolder(request, explorerWindows)) {
            RunPaste(request.m_strPath, request.m_bAppend, request.m_bNewFile, services);
        }
    }
    // 7. No message loop: the process ends.
    return false;
}
