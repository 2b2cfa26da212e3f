// Answers the name dialog of a running Quillory.exe as a user would, for the
// demo: types the name (and the extension, when given) and presses OK.
//   qlry_name_file NAME [EXTENSION]
// Exit status 0 when the dialog closed, 1 when it refused the name (the
// message is printed), 2 when no dialog appeared.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kCaption[] = L"Copy Clipboard Contents as File";
constexpr int kFileNameId = 1055;
constexpr int kExtensionId = 1056;

HWND WaitForVisible(const wchar_t* caption, int tries) {
    for (int i = 0; i < tries; ++i) {
        HWND window = ::FindWindowW(L"#32770", caption);
        if (window && ::IsWindowVisible(window)) return window;
        ::Sleep(20);
    }
    return nullptr;
}

void PrintRefusal(HWND box) {
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[1024] = {};
        ::SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        wchar_t kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        if (text[0] && std::wstring(kind) == L"Static") std::fwprintf(stderr, L"refused: %ls\n", text);
    }
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count < 2) {
        std::fprintf(stderr, "usage: qlry_name_file NAME [EXTENSION]\n");
        return 2;
    }
    HWND dialog = WaitForVisible(kCaption, 500);
    if (!dialog) {
        std::fprintf(stderr, "no name dialog appeared\n");
        return 2;
    }
    ::SendDlgItemMessageW(dialog, kFileNameId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[1]));
    if (count > 2) ::SendDlgItemMessageW(dialog, kExtensionId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2]));
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && ::IsWindow(dialog); ++i) {
        if (HWND box = WaitForVisible(L"Quillory", 1)) {
            PrintRefusal(box);
            ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            return 1;
        }
    }
    return ::IsWindow(dialog) ? 2 : 0;
}
