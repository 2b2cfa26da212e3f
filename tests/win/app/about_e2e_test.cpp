// The About box of Quillory.exe, driven by messages from this process.
#include <gtest/gtest.h>

#include "about/about_dlg.h"
#include "about/ui_resources.h"
#include "win/support/win_test_support.h"

namespace {

using namespace qlry::wintest;

HWND FindAboutBox(DWORD processId) {
    for (int i = 0; i < 500; ++i) {
        HWND window = ::FindWindowW(L"#32770", L"About Quillory");
        DWORD owner = 0;
        if (window) ::GetWindowThreadProcessId(window, &owner);
        // Visible only once its controls are set up.
        if (window && owner == processId && ::IsWindowVisible(window)) return window;
        ::Sleep(20);
    }
    return nullptr;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

int TextWidth(HFONT font, const std::wstring& text) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return extent.cx;
}

int Width(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

TEST(AboutBox, OpensWithoutArgumentsShowsItsLinksAndClosesWithOk) {
    HANDLE process = StartProgram(BinFolder() + L"\\Quillory.exe", L"");
    ASSERT_NE(process, nullptr);
    HWND dialog = FindAboutBox(::GetProcessId(process));
    ASSERT_NE(dialog, nullptr) << "no About box appeared";

    EXPECT_EQ(ControlText(dialog, IDC_TITLE), L"Quillory");
    EXPECT_EQ(ControlText(dialog, IDC_VERSION), L"Version 1.0.3");
    EXPECT_EQ(ControlText(dialog, IDC_WEBSITE), kMakerWebSite);
    EXPECT_EQ(ControlText(dialog, IDC_EMAIL), kMakerEmail);

    // Each link is as wide as its caption in the link font, plus 2 pixels.
    CUiResources resources(::GetModuleHandleW(nullptr));
    EXPECT_EQ(Width(::GetDlgItem(dialog, IDC_WEBSITE)), TextWidth(resources.LinkFont(), kMakerWebSite) + 2);
    EXPECT_EQ(Width(::GetDlgItem(dialog, IDC_EMAIL)), TextWidth(resources.LinkFont(), kMakerEmail) + 2);

    // The link buttons are owner-drawn and reachable by tab.
    const LONG style = ::GetWindowLongW(::GetDlgItem(dialog, IDC_WEBSITE), GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(style & WS_TABSTOP);

    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "OK did not end the program";
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
}

TEST(AboutBox, TitleFontIsBoldAndAThirdTaller) {
    LOGFONTW base = CUiResources::BaseFont();
    CUiResources resources(::GetModuleHandleW(nullptr));
    LOGFONTW title{};
    ::GetObjectW(resources.TitleFont(), sizeof(title), &title);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(title.lfHeight, base.lfHeight + base.lfHeight / 3);
    EXPECT_STREQ(base.lfFaceName, L"Tahoma");
    LOGFONTW link{};
    ::GetObjectW(resources.LinkFont(), sizeof(link), &link);
    EXPECT_TRUE(link.lfUnderline);
}

}  // namespace
