#pragma once
// An owner-drawn push button that looks like a hyperlink: underlined, blue,
// red under the mouse, with a hand cursor; a click opens its target.
#include <windows.h>

#include <string>

class CLinkButton {
public:
    CLinkButton() = default;
    ~CLinkButton();
    CLinkButton(const CLinkButton&) = delete;
    CLinkButton& operator=(const CLinkButton&) = delete;

    // Takes over the dialog's button control.
    bool Attach(HWND button, HCURSOR handCursor);

    void SetLink(const wchar_t* target, const wchar_t* caption);
    void SizeToText();
    void SetFont(HFONT font);
    void SetBackgroundColor(COLORREF color) { m_crBackground = color; }

    // The click notification reflected from the parent; false leaves the
    // click to the parent.
    bool OnClicked();
    // Owner drawing, reflected from the parent's WM_DRAWITEM.
    void DrawItem(const DRAWITEMSTRUCT& item);

    HWND Window() const { return m_hWnd; }
    bool IsHovering() const { return m_bHover != 0; }
    const std::wstring& Target() const { return m_strTarget; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawBackground(HDC dc, const RECT& rect);

    COLORREF m_crNormal = RGB(0, 0, 255);
    COLORREF m_crHover = RGB(255, 0, 0);
    COLORREF m_crBackground = ::GetSysColor(COLOR_WINDOW);
    std::wstring m_strTarget;
    int m_bHover = 0;
    int m_bTransparent = 1;

    HWND m_hWnd = nullptr;
    HCURSOR m_hHandCursor = nullptr;
};

// Opens the user's mail program with a new message to address.
void OpenMailTo(const wchar_t* address, const wchar_t* subject);
