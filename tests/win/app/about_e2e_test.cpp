// The About box of Quillory.exe, driven by messages from this process.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

    // The first tab stop, OK, starts with the focus.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, ::GetDlgItem(dialog, IDOK));

    // The program's icon shows beside the title.
    HWND icon = ::GetWindow(::GetDlgItem(dialog, IDOK), GW_HWNDNEXT);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(::GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
    EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0) << "the icon control holds no icon";

    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "OK did not end the program";
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
}

// Makes the recorder program beside the tests the shell's handler of a URL
// scheme for one scope (in the test prefix, HKEY_CLASSES_ROOT), and restores
// the previous handler afterwards.
class ScopedSchemeHandler {
public:
    explicit ScopedSchemeHandler(const std::wstring& scheme) : m_key(scheme + L"\\shell\\open\\command") {
        wchar_t previous[2048] = {};
        DWORD bytes = sizeof(previous);
        m_hadPrevious = ::RegGetValueW(HKEY_CLASSES_ROOT, m_key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, previous,
                                       &bytes) == ERROR_SUCCESS;
        if (m_hadPrevious) m_previous = previous;
        HKEY schemeKey = nullptr;
        if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, scheme.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &schemeKey,
                              nullptr) == ERROR_SUCCESS) {
            ::RegSetValueExW(schemeKey, L"URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                             sizeof(wchar_t));
            ::RegCloseKey(schemeKey);
        }
        const std::wstring command = L"\"" + BinFolder() + L"\\qlry_record_command.exe\" \"%1\"";
        m_ok = Set(command);
    }
    ~ScopedSchemeHandler() {
        if (m_hadPrevious) Set(m_previous);
    }
    ScopedSchemeHandler(const ScopedSchemeHandler&) = delete;
    ScopedSchemeHandler& operator=(const ScopedSchemeHandler&) = delete;
    bool Ok() const { return m_ok; }

private:
    bool Set(const std::wstring& command) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const bool ok = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return ok;
    }
    std::wstring m_key;
    std::wstring m_previous;
    bool m_hadPrevious = false;
    bool m_ok = false;
};

// The lines the recorder wrote, once it has written any.
std::vector<std::wstring> WaitForRecord(const std::wstring& file) {
    for (int i = 0; i < 500; ++i) {
        const std::string bytes = ReadFileBytes(file);
        if (!bytes.empty() && bytes.size() % sizeof(wchar_t) == 0) {
            std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
            ::memcpy(text.data(), bytes.data(), bytes.size());
            std::vector<std::wstring> lines;
            for (size_t at = 0, end; (end = text.find(L'\n', at)) != std::wstring::npos; at = end + 1) {
                lines.push_back(text.substr(at, end - at));
            }
            if (!lines.empty()) return lines;
        }
        ::Sleep(20);
    }
    return {};
}

struct AboutLinks : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"about-links");
    std::wstring record = folder + L"\\opened.txt";
    void SetUp() override {
        ::DeleteFileW(record.c_str());
        ::SetEnvironmentVariableW(L"QLRY_RECORD_FILE", record.c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"QLRY_RECORD_FILE", nullptr);
        ::DeleteFileW(record.c_str());
    }

    // Clicks a link of a freshly started About box and returns what the
    // shell was asked to open; the box stays open until OK.
    std::vector<std::wstring> ClickLink(int id) {
        HANDLE process = StartProgram(BinFolder() + L"\\Quillory.exe", L"");
        if (!process) return {};
        std::vector<std::wstring> opened;
        HWND dialog = FindAboutBox(::GetProcessId(process));
        if (dialog) {
            ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
            opened = WaitForRecord(record);
            EXPECT_EQ(::WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT))
                << "a link click closed the About box";
            ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        }
        if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
        ::CloseHandle(process);
        return opened;
    }
};

TEST_F(AboutLinks, TheEmailLinkOpensAMailCommandWithTheUnencodedSubject) {
    ScopedSchemeHandler handler(L"mailto");
    ASSERT_TRUE(handler.Ok());
    const std::vector<std::wstring> opened = ClickLink(IDC_EMAIL);
    ASSERT_EQ(opened.size(), 1u) << "the shell was not asked to open a mail command";
    EXPECT_EQ(opened[0], std::wstring(L"mailto:") + kMakerEmail + L"?subject=About Quillory 1.0.3");
}

TEST_F(AboutLinks, TheWebSiteLinkOpensItsAddress) {
    const std::wstring site = kMakerWebSite;
    ScopedSchemeHandler handler(site.substr(0, site.find(L':')));
    ASSERT_TRUE(handler.Ok());
    const std::vector<std::wstring> opened = ClickLink(IDC_WEBSITE);
    ASSERT_EQ(opened.size(), 1u) << "the shell was not asked to open the web site";
    EXPECT_EQ(opened[0], site);
}

// Template 100 as stored in the program, read field by field: what the
// dialog manager makes of it at run time hides some of it (an icon control
// takes the icon's size whatever the template says).
struct TemplateItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // "#128" and so on for the predefined classes
    std::wstring text;       // "#128" for a resource ordinal
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    TemplateReader(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}
    bool Ok() const { return m_ok; }
    WORD Word() { return static_cast<WORD>(Byte() | Byte() << 8); }
    DWORD Dword() { return Word() | static_cast<DWORD>(Word()) << 16; }
    // A string or 0xFFFF and an ordinal, shown as "#<ordinal>".
    std::wstring SzOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (WORD c = first; c != 0 && m_ok; c = Word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    void AlignDword() { m_at = (m_at + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { m_at += bytes; }

private:
    unsigned Byte() {
        if (m_at >= m_size) {
            m_ok = false;
            return 0;
        }
        return m_data[m_at++];
    }
    const unsigned char* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

std::optional<DialogTemplate> ReadDialogTemplate(HMODULE module, int id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!found) return std::nullopt;
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data) return std::nullopt;
    TemplateReader in(data, ::SizeofResource(module, found));
    if (in.Word() != 1 || in.Word() != 0xFFFF) return std::nullopt;  // DLGTEMPLATEEX only
    DialogTemplate dialog;
    in.Dword();  // help id
    in.Dword();  // extended style
    dialog.style = in.Dword();
    const WORD count = in.Word();
    in.Skip(4);  // x, y
    dialog.cx = static_cast<short>(in.Word());
    dialog.cy = static_cast<short>(in.Word());
    in.SzOrOrdinal();  // menu
    in.SzOrOrdinal();  // class
    dialog.caption = in.SzOrOrdinal();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        in.Skip(4);  // weight, italic, character set
        dialog.face = in.SzOrOrdinal();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignDword();
        TemplateItem item;
        in.Dword();  // help id
        in.Dword();  // extended style
        item.style = in.Dword();
        item.x = static_cast<short>(in.Word());
        item.y = static_cast<short>(in.Word());
        item.cx = static_cast<short>(in.Word());
        item.cy = static_cast<short>(in.Word());
        item.id = static_cast<int>(in.Dword());
        item.className = in.SzOrOrdinal();
        item.text = in.SzOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog.items.push_back(item);
    }
    if (!in.Ok()) return std::nullopt;
    return dialog;
}

bool IsClass(const std::wstring& className, const wchar_t* ordinal, const wchar_t* name) {
    return className == ordinal || ::lstrcmpiW(className.c_str(), name) == 0;
}

TEST(AboutBox, TemplateHoldsItsControlsInTabOrderWithTheirPlaces) {
    HMODULE program =
        ::LoadLibraryExW((BinFolder() + L"\\Quillory.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const std::optional<DialogTemplate> dialog = ReadDialogTemplate(program, IDD_ABOUTBOX);
    ::FreeLibrary(program);
    ASSERT_TRUE(dialog.has_value()) << "template 100 missing or malformed";

    EXPECT_EQ(dialog->caption, L"About Quillory");
    EXPECT_EQ(dialog->face, L"Tahoma");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->cx, 250);
    EXPECT_GE(dialog->cy, 153 + 14);  // room for the OK button
    EXPECT_EQ(dialog->style & (DS_MODALFRAME | WS_CAPTION | WS_SYSMENU), DWORD{DS_MODALFRAME | WS_CAPTION | WS_SYSMENU});

    struct Expected {
        const wchar_t* ordinal;  // predefined class
        const wchar_t* name;
        int id;
        const wchar_t* text;
        short x, y, cx, cy;
    };
    const std::wstring aboutText =
        L"Quillory is a Windows Explorer extension that allows you to:\n"
        L"1. Copy file contents directly to clipboard.\n"
        L"2. Paste clipboard contents directly to selected file.\n"
        L"3. Paste clipboard contents as new file.";
    const Expected expected[] = {
        {L"#128", L"Button", IDOK, L"OK", 193, 153, 50, 14},
        {L"#130", L"Static", 0xFFFF, L"#128", 7, 7, 20, 20},
        {L"#130", L"Static", IDC_TITLE, L"Quillory", 36, 7, 207, 12},
        {L"#130", L"Static", IDC_VERSION, L"Version 1.0.3", 36, 18, 207, 8},
        {L"#130", L"Static", IDC_ABOUT_TEXT, aboutText.c_str(), 36, 32, 207, 40},
        {L"#130", L"Static", IDC_NOTICE, nullptr, 36, 80, 207, 8},
        {L"#130", L"Static", 0xFFFF, L"Web Site:", 36, 91, 42, 8},
        {L"#128", L"Button", IDC_WEBSITE, nullptr, 80, 90, 163, 10},
        {L"#130", L"Static", 0xFFFF, L"Email:", 36, 101, 42, 8},
        {L"#128", L"Button", IDC_EMAIL, nullptr, 80, 100, 163, 10},
    };
    ASSERT_EQ(dialog->items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TemplateItem& item = dialog->items[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(::testing::Message() << "control " << i << " id " << want.id);
        EXPECT_TRUE(IsClass(item.className, want.ordinal, want.name));
        EXPECT_EQ(item.id & 0xFFFF, want.id);
        if (want.text) {
            EXPECT_EQ(item.text, want.text);
        }
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_TRUE(item.style & WS_VISIBLE);
    }
    const auto& items = dialog->items;
    EXPECT_EQ(items[0].style & BS_TYPEMASK, DWORD{BS_DEFPUSHBUTTON});
    EXPECT_EQ(items[1].style & SS_TYPEMASK, DWORD{SS_ICON});
    for (size_t link : {7u, 9u}) {
        EXPECT_EQ(items[link].style & BS_TYPEMASK, DWORD{BS_OWNERDRAW}) << link;
        EXPECT_EQ(items[link].style & BS_CENTER, DWORD{BS_LEFT}) << link;
        EXPECT_TRUE(items[link].style & WS_TABSTOP) << link;
    }
    for (size_t text : {2u, 3u, 4u, 5u, 6u, 8u}) {
        EXPECT_EQ(items[text].style & SS_TYPEMASK, DWORD{SS_LEFT}) << text;
    }
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

// A link button in a window of this process, drawn into a bitmap of ours.
struct LinkInWindow : ::testing::Test {
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<LinkInWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_DRAWITEM && self) {
            self->link.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    CUiResources resources{::GetModuleHandleW(nullptr)};
    HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    CLinkButton link;
    HWND parent = nullptr;
    HWND button = nullptr;

    void SetUp() override {
        WNDCLASSW type{};
        type.lpfnWndProc = ParentProc;
        type.hInstance = ::GetModuleHandleW(nullptr);
        type.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        type.lpszClassName = L"QlryLinkParent";
        ::RegisterClassW(&type);
        parent = ::CreateWindowExW(0, L"QlryLinkParent", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                   type.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        ::SetWindowLongPtrW(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        button = ::CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_LEFT, 10, 10, 300, 20,
                                   parent, reinterpret_cast<HMENU>(1001), type.hInstance, nullptr);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(link.Attach(button, hand));
        link.SetFont(resources.LinkFont());
        link.SetLink(nullptr, L"support@example.com");
    }
    void TearDown() override {
        if (parent) ::DestroyWindow(parent);
    }

    // Red and blue summed over the pixels that the drawing did not leave white.
    struct Ink {
        long long red = 0;
        long long blue = 0;
        int pixels = 0;
    };
    Ink Draw() {
        RECT item{};
        ::GetClientRect(button, &item);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = item.right;
        info.bmiHeader.biHeight = -item.bottom;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::FillRect(dc, &item, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT draw{ODT_BUTTON, 1001, 0, ODA_DRAWENTIRE, 0, button, dc, item, 0};
        link.DrawItem(draw);
        ::GdiFlush();
        Ink ink;
        const auto* pixel = static_cast<const uint32_t*>(bits);
        for (LONG i = 0; i < item.right * item.bottom; ++i) {
            const uint32_t p = pixel[i] & 0xFFFFFF;
            if (p == 0xFFFFFF) continue;
            ink.red += p >> 16 & 0xFF;
            ink.blue += p & 0xFF;
            ++ink.pixels;
        }
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        return ink;
    }
};

TEST_F(LinkInWindow, BlueUntilTheMouseIsOverItThenRedUntilItLeaves) {
    Ink ink = Draw();
    ASSERT_GT(ink.pixels, 0) << "the caption was not drawn";
    EXPECT_GT(ink.blue, ink.red);
    EXPECT_FALSE(link.IsHovering());

    ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(link.IsHovering());
    ink = Draw();
    EXPECT_GT(ink.red, ink.blue);

    ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link.IsHovering());
    ink = Draw();
    EXPECT_GT(ink.blue, ink.red);
}

TEST_F(LinkInWindow, ShowsTheHandCursorAndLeavesErasingToItsDrawing) {
    ::SetCursor(nullptr);
    EXPECT_TRUE(::SendMessageW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), hand);

    HDC dc = ::GetDC(button);
    EXPECT_TRUE(::SendMessageW(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ::ReleaseDC(button, dc);
}

TEST_F(LinkInWindow, SizeToTextKeepsPlaceAndHeightUnlessMultiLine) {
    link.SizeToText();
    RECT rect{};
    ::GetWindowRect(button, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.right - rect.left, TextWidth(resources.LinkFont(), L"support@example.com") + 2);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.bottom - rect.top, 20);

    ::SetWindowLongW(button, GWL_STYLE, ::GetWindowLongW(button, GWL_STYLE) | BS_MULTILINE);
    ::SetWindowPos(button, nullptr, 0, 0, 300, 20, SWP_NOMOVE | SWP_NOZORDER);
    link.SizeToText();
    ::GetWindowRect(button, &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
}

TEST_F(LinkInWindow, AClickWithoutATargetIsLeftToTheParent) {
    EXPECT_FALSE(link.OnClicked());
    EXPECT_TRUE(link.Target().empty());
}

}  // namespace
