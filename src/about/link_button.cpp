#include "about/link_button.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace {

constexpr UINT_PTR kSubclassId = 1;

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

}  // namespace

CLinkButton::~CLinkButton() {
    if (m_hWnd) ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
}

bool CLinkButton::Attach(HWND button, HCURSOR handCursor) {
    m_hWnd = button;
    m_hHandCursor = handCursor;
    return button && ::SetWindowSubclass(button, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CLinkButton::SetLink(const wchar_t* target, const wchar_t* caption) {
    m_strTarget = target ? target : L"";
    if (m_hWnd && caption) ::SetWindowTextW(m_hWnd, caption);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLinkButton::SetFont(HFONT font) {
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CLinkButton::SizeToText() {
    if (!m_hWnd || (::GetWindowLongW(m_hWnd, GWL_STYLE) & BS_MULTILINE)) return;
    const std::wstring caption = WindowText(m_hWnd);
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);

    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, extent.cx + 2, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CLinkButton::OnClicked() {
    if (m_strTarget.empty()) return false;
    ::ShellExecuteW(nullptr, L"open", m_strTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

void CLinkButton::DrawBackground(HDC dc, const RECT& rect) {
    if (!m_bTransparent) {
        HBRUSH brush = ::CreateSolidBrush(m_crBackground);
        ::FillRect(dc, &rect, brush);
        ::DeleteObject(brush);
        return;
    }
    // The parent paints its own background here, its origin moved so that
    // it lines up with this control's place in it.
    HWND parent = ::GetParent(m_hWnd);
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, parent, &origin, 1);
    const int mode = ::GetBkMode(dc);
    const COLORREF back = ::GetBkColor(dc);
    const COLORREF text = ::GetTextColor(dc);
    POINT previous{};
    ::OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
    ::SetBkMode(dc, mode);
    ::SetBkColor(dc, back);
    ::SetTextColor(dc, text);
}

void CLinkButton::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    DrawBackground(dc, rect);

    const std::wstring caption = WindowText(m_hWnd);
    if (!caption.empty()) {
        RECT text = rect;
        text.left += 1;
        text.right -= 1;
        HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
        const COLORREF oldText = ::SetTextColor(dc, m_bHover ? m_crHover : m_crNormal);
        const COLORREF oldBack = ::SetBkColor(dc, m_crBackground);
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);

        const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
        UINT format = DT_END_ELLIPSIS;
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
        const LONG horizontal = style & BS_CENTER;
        format |= horizontal == BS_RIGHT ? DT_RIGHT : horizontal == BS_LEFT ? DT_LEFT : DT_CENTER;
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);

        ::SetBkMode(dc, oldMode);
        ::SetBkColor(dc, oldBack);
        ::SetTextColor(dc, oldText);
        ::SelectObject(dc, oldFont);
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rect);
}

LRESULT CLinkButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            if (m_hHandCursor) {
                ::SetCursor(m_hHandCursor);
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return TRUE;  // all painting happens in DrawItem
        case WM_MOUSEMOVE:
            if (!m_bHover) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
                ::_TrackMouseEvent(&track);
                m_bHover = 1;
                ::InvalidateRect(m_hWnd, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (m_bHover) {
                m_bHover = 0;
                ::InvalidateRect(m_hWnd, nullptr, FALSE);
            }
            return 0;
        default:
            break;
    }
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CLinkButton::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) {
    return reinterpret_cast<CLinkButton*>(self)->HandleMessage(message, wParam, lParam);
}

void OpenMailTo(const wchar_t* address, const wchar_t* subject) {
    const std::wstring command = std::wstring(L"mailto:") + address + L"?subject=" + subject;
    ::ShellExecuteW(nullptr, L"Open", command.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
