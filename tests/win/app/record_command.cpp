// Stands in for the program that the shell starts for a link: appends each
// of its arguments, one a line, as UTF-16 to the file that the environment
// variable QLRY_RECORD_FILE names, so that a test can see what was opened.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<wchar_t> file(32768, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"QLRY_RECORD_FILE", file.data(), static_cast<DWORD>(file.size()));
    if (length == 0 || length >= file.size()) return 1;

    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) return 1;
    std::wstring lines;
    for (int i = 1; i < count; ++i) lines += std::wstring(arguments[i]) + L"\n";
    ::LocalFree(arguments);

    HANDLE out = ::CreateFileW(file.data(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(lines.size() * sizeof(wchar_t));
    const bool ok = ::WriteFile(out, lines.data(), bytes, &written, nullptr) && written == bytes;
    ::CloseHandle(out);
    return ok ? 0 : 1;
}
