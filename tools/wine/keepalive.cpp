// Keeps the Wine desktop, and with it the clipboard, alive for a whole test
// run: a message-only window pumps messages until the named event is set.
//   qlry_keepalive.exe NAME        run until NAME is signalled
//   qlry_keepalive.exe /stop NAME  signal NAME
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool stop = count >= 3 && std::wstring(argv[1]) == L"/stop";
    const std::wstring name = count >= 2 ? argv[count - 1] : L"QuilloryKeepAlive";

    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    if (!event) return 1;
    if (stop) return ::SetEvent(event) ? 0 : 1;

    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
    if (window) ::DestroyWindow(window);
    ::CloseHandle(event);
    return 0;
}
