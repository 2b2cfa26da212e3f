#include "win/newfile/name_dialog_driver.h"

#include <cwctype>

#include "win/support/win_test_support.h"

namespace qlry::wintest {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Varnel\\Quillory\\Settings";

// WM_GETTEXT itself: GetWindowTextW does not ask a window of another process.
std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The icon drawn into a 32 x 32 bitmap; empty when it cannot be drawn. Icon
// handles of another process compare only by what they draw.
std::vector<DWORD> IconPixels(HICON icon) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    std::vector<DWORD> pixels;
    if (bits && ::DrawIconEx(memory, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL)) {
        pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 32 * 32);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    return pixels;
}

}  // namespace

NameDialogSession::NameDialogSession(const std::wstring& folder) {
    m_process = StartProgram(BinFolder() + L"\\Quillory.exe", L"-p \"" + folder + L"\" /n");
    if (m_process) m_processId = ::GetProcessId(m_process);
}

NameDialogSession::~NameDialogSession() {
    if (!m_process) return;
    if (::WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) ::TerminateProcess(m_process, 1);
    ::WaitForSingleObject(m_process, 5000);
    ::CloseHandle(m_process);
}

HWND NameDialogSession::FindVisible(const wchar_t* caption) {
    for (int i = 0; i < 500 && m_process; ++i) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, L"#32770", caption)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == m_processId && ::IsWindowVisible(window)) return window;
        }
        ::Sleep(20);
    }
    return nullptr;
}

HWND NameDialogSession::Dialog() {
    if (!m_dialog) m_dialog = FindVisible(kNameDialogCaption);
    return m_dialog;
}

std::wstring NameDialogSession::Text(int id) { return WindowText(::GetDlgItem(Dialog(), id)); }

HWND NameDialogSession::FocusedWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(Dialog(), nullptr), &info);
    return info.hwndFocus;
}

std::pair<int, int> NameDialogSession::NameSelection() {
    const auto packed = static_cast<DWORD>(::SendDlgItemMessageW(Dialog(), kFileNameId, EM_GETSEL, 0, 0));
    return {LOWORD(packed), HIWORD(packed)};
}

int NameDialogSession::SelectedEntry() {
    return static_cast<int>(::SendDlgItemMessageW(Dialog(), kExtensionId, CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> NameDialogSession::ListEntries() {
    std::vector<std::wstring> entries;
    const auto count = static_cast<int>(::SendDlgItemMessageW(Dialog(), kExtensionId, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ::SendDlgItemMessageW(Dialog(), kExtensionId, CB_GETLBTEXT, static_cast<WPARAM>(i),
                              reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

void NameDialogSession::TypeName(const std::wstring& text) {
    HWND field = ::GetDlgItem(Dialog(), kFileNameId);
    for (wchar_t c : text) ::SendMessageW(field, WM_CHAR, c, 1);
}

void NameDialogSession::SetExtensionText(const std::wstring& text) {
    ::SendDlgItemMessageW(Dialog(), kExtensionId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void NameDialogSession::PickEntry(int index) {
    ::SendDlgItemMessageW(Dialog(), kExtensionId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Posted, not sent: OK may open a modal message box in the program.
void NameDialogSession::PressOk() { ::PostMessageW(::GetDlgItem(Dialog(), IDOK), BM_CLICK, 0, 0); }

void NameDialogSession::PressCancel() { ::PostMessageW(::GetDlgItem(Dialog(), IDCANCEL), BM_CLICK, 0, 0); }

HWND NameDialogSession::FindMessageBox() { return FindVisible(L"Quillory"); }

void NameDialogSession::AnswerMessageBox(HWND box) {
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    for (int i = 0; i < 250 && ::IsWindow(box); ++i) ::Sleep(20);
}

bool NameDialogSession::WaitForExit(DWORD ms) {
    return m_process && ::WaitForSingleObject(m_process, ms) == WAIT_OBJECT_0;
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = WindowText(box);
    const std::vector<DWORD> warning = IconPixels(::LoadIconW(nullptr, IDI_WARNING));
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        const std::wstring kind = ClassOf(child);
        if (kind == L"Button") {
            content.buttons.push_back(WindowText(child));
        } else if (kind == L"Static") {
            const std::wstring text = WindowText(child);
            if (!text.empty()) content.text = text;
            const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
            if (icon) content.hasIcon = true;
            if (icon && !warning.empty() && IconPixels(icon) == warning) content.warningIcon = true;
        }
    }
    return content;
}

void ClearSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool ReadTextExtension(std::wstring& value) {
    wchar_t text[512] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"TextExtension", RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    value = text;
    return true;
}

bool ReadImageExtension(DWORD& value) {
    DWORD size = sizeof(value);
    return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImageExtension", RRF_RT_REG_DWORD, nullptr, &value,
                          &size) == ERROR_SUCCESS;
}

void WriteTextExtension(const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"TextExtension", REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void WriteImageExtension(DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImageExtension", REG_DWORD, &value, sizeof(value));
}

long long SecondsOf(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!::SystemTimeToFileTime(&time, &file)) return -1;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ull);
}

bool ParseTimestampName(const std::wstring& text, SYSTEMTIME& time) {
    if (text.size() != 15 || text[8] != L' ') return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != 8 && !std::iswdigit(text[i])) return false;
    }
    auto number = [&](size_t at, size_t count) { return static_cast<WORD>(std::stoi(text.substr(at, count))); };
    time = {};
    time.wYear = number(0, 4);
    time.wMonth = number(4, 2);
    time.wDay = number(6, 2);
    time.wHour = number(9, 2);
    time.wMinute = number(11, 2);
    time.wSecond = number(13, 2);
    return true;
}

}  // namespace qlry::wintest
