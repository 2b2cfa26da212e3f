// QuillorySetup: installs Quillory for the current user, or with /uninstall
// removes it again. /from FOLDER names where the deliverables are (default:
// beside this program), /to FOLDER the installation folder (default:
// %LOCALAPPDATA%\Programs\Quillory).
#include <windows.h>
#include <objbase.h>

#include <string>

#include "installer.h"

namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A windows program, so that a double-click opens no console window. What it
// has to say goes where the caller can read it: the handle the caller gave
// (a pipe, a file, a console), else the console of the Command Prompt that
// started it, else a message box (a double-click, the list of installed
// apps). A console gets wide characters, since a user's folder may hold any;
// a pipe or a file gets UTF-8.
void Say(const std::wstring& text, bool failed) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!Usable(out) && ::AttachConsole(ATTACH_PARENT_PROCESS))
        out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (!Usable(out)) {
        ::MessageBoxW(nullptr, text.c_str(), L"Quillory Setup", MB_OK | (failed ? MB_ICONERROR : MB_ICONINFORMATION));
        return;
    }
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(out, &mode)) {
        std::wstring line = text + L"\r\n";
        ::WriteConsoleW(out, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    std::wstring line = text + L"\n";
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(bytes - 1), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace qlry::install;
    Paths paths;
    paths.self = ProgramPath();
    paths.source = FolderOf(paths.self);
    bool uninstall = false;
    std::wstring to;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"/uninstall") {
            uninstall = true;
        } else if (arg == L"/from" && i + 1 < argc) {
            paths.source = argv[++i];
        } else if (arg == L"/to" && i + 1 < argc) {
            to = argv[++i];
        } else {
            Say(L"usage: QuillorySetup [/uninstall] [/from FOLDER] [/to FOLDER]", true);
            return 2;
        }
    }
    if (::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) return 1;
    paths.target = to.empty() ? DefaultTarget() : to;
    if (paths.target.empty()) {
        Say(L"cannot find the local application data folder", true);
        return 1;
    }
    if (uninstall && to.empty()) {
        // The folder the installation recorded, if any.
        wchar_t location[MAX_PATH] = {};
        DWORD bytes = sizeof location - sizeof(wchar_t);
        if (::RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", RRF_RT_REG_SZ, nullptr, location,
                           &bytes) == ERROR_SUCCESS && location[0])
            paths.target = location;
    }
    Leftovers leftovers;
    std::wstring problem = uninstall ? Uninstall(paths, leftovers) : Install(paths);
    ::CoUninitialize();
    if (!problem.empty())
        Say(L"Quillory: " + problem, true);
    else
        Say(uninstall ? L"Quillory removed from " + paths.target : L"Quillory installed in " + paths.target, false);
    // Only now: a message box may have kept this program running for long.
    RemoveAfterExit(leftovers);
    return problem.empty() ? 0 : 1;
}
