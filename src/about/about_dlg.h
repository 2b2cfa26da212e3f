#pragma once
// The About box: program name, version, what it does, and two links.
#include <windows.h>

#include <string>

#include "about/link_button.h"
#include "about/ui_resources.h"

// The maker's web site and support address, shown as links.
inline constexpr wchar_t kMakerWebSite[] = L"https://www.example.com/quillory";
inline constexpr wchar_t kMakerEmail[] = L"support@example.com";
inline constexpr wchar_t kVersionText[] = L"1.0.3";

// Control ids of dialog template 100.
enum AboutControl {
    IDD_ABOUTBOX = 100,
    IDC_ABOUT_TEXT = 1000,
    IDC_WEBSITE = 1001,
    IDC_EMAIL = 1003,
    IDC_TITLE = 1022,
    IDC_NOTICE = 1026,
    IDC_VERSION = 1029,
};

class CAboutDlg {
public:
    CAboutDlg(HINSTANCE instance, const CUiResources& resources, std::wstring appTitle);

    INT_PTR DoModal();

    // "About <title> <version>", the subject of the support mail.
    std::wstring MailSubject() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    bool OnCommand(WORD id, WORD code);

    HINSTANCE m_hInstance;
    const CUiResources& m_resources;
    std::wstring m_strAppTitle;
    CLinkButton m_website;
    CLinkButton m_email;
};
