#include "about/about_dlg.h"

#include "platform/win32/dialog_look.h"
#include "platform/win32/window_placement.h"

CAboutDlg::CAboutDlg(HINSTANCE instance, const CUiResources& resources, std::wstring appTitle)
    : m_hInstance(instance), m_resources(resources), m_strAppTitle(std::move(appTitle)) {}

INT_PTR CAboutDlg::DoModal() {
    qlry::SelectDialogLook();
    return ::DialogBoxParamW(m_hInstance, MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

std::wstring CAboutDlg::MailSubject() const { return L"About " + m_strAppTitle + L" " + kVersionText; }

BOOL CAboutDlg::OnInitDialog(HWND dialog) {
    ::SendDlgItemMessageW(dialog, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_resources.TitleFont()), TRUE);

    m_website.Attach(::GetDlgItem(dialog, IDC_WEBSITE), m_resources.HandCursor());
    m_website.SetBackgroundColor(::GetSysColor(COLOR_BTNFACE));
    m_website.SetFont(m_resources.LinkFont());
    m_website.SetLink(kMakerWebSite, kMakerWebSite);
    m_website.SizeToText();

    m_email.Attach(::GetDlgItem(dialog, IDC_EMAIL), m_resources.HandCursor());
    m_email.SetBackgroundColor(::GetSysColor(COLOR_BTNFACE));
    m_email.SetFont(m_resources.LinkFont());
    m_email.SetLink(nullptr, kMakerEmail);
    m_email.SizeToText();
    qlry::CenterOnMouseMonitor(dialog);
    return TRUE;  // the first tab stop, OK, gets the focus
}

bool CAboutDlg::OnCommand(WORD id, WORD code) {
    if (code == BN_CLICKED && id == IDC_WEBSITE) {
        m_website.OnClicked();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_EMAIL) {
        // The e-mail link has no target: the click is the dialog's.
        if (!m_email.OnClicked()) OpenMailTo(kMakerEmail, MailSubject().c_str());
        return true;
    }
    return false;
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CAboutDlg*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return reinterpret_cast<CAboutDlg*>(lParam)->OnInitDialog(dialog);
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!self) return FALSE;
            if (item->CtlID == IDC_WEBSITE) self->m_website.DrawItem(*item);
            else if (item->CtlID == IDC_EMAIL) self->m_email.DrawItem(*item);
            else return FALSE;
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return self && self->OnCommand(LOWORD(wParam), HIWORD(wParam));
        default:
            return FALSE;
    }
}
