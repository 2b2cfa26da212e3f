// Stands in for Quillory.exe in the end-to-end tests: writes the command line
// it was started with, then each argument, one per line (UTF-8), to
// launch.txt beside itself.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring log(self, length);
    log = log.substr(0, log.find_last_of(L'\\')) + L"\\launch.txt";

    std::string text = Utf8(::GetCommandLineW()) + "\n";
    for (int i = 1; i < argc; ++i) text += Utf8(argv[i]) + "\n";
    // Written under a temporary name and renamed, so a reader never sees half.
    std::wstring partial = log + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return ::MoveFileExW(partial.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
