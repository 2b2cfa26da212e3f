// QuillorySetup: installs Quillory for the current user, or with /uninstall
// removes it again. /from FOLDER names where the deliverables are (default:
// beside this program), /to FOLDER the installation folder (default:
// %LOCALAPPDATA%\Programs\Quillory).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "installer.h"

namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

void Say(const std::wstring& text) {
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    std::fprintf(stdout, "%s\n", utf8.c_str());
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
            Say(L"usage: QuillorySetup [/uninstall] [/from FOLDER] [/to FOLDER]");
            return 2;
        }
    }
    if (::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) return 1;
    paths.target = to.empty() ? DefaultTarget() : to;
    if (paths.target.empty()) {
        Say(L"cannot find the local application data folder");
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
    std::wstring problem = uninstall ? Uninstall(paths) : Install(paths);
    ::CoUninitialize();
    if (!problem.empty()) {
        Say(L"Quillory: " + problem);
        return 1;
    }
    Say(uninstall ? L"Quillory removed from " + paths.target : L"Quillory installed in " + paths.target);
    return 0;
}
