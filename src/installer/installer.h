#pragma once
// Per-user installation of Quillory: the two deliverables (and this program,
// for uninstalling) go to %LOCALAPPDATA%\Programs\Quillory, AppFolder names
// that folder, QLRY_WS.dll registers itself per user (regsvr32 /n /i:user),
// an entry under the user's Uninstall key points back here, and two
// Start-menu entries open the settings window and paste with a hotkey
// (Ctrl+Alt+V unless the settings name another). Uninstalling
// reverses every step, including the keys and folders installing created.
#include <string>
#include <vector>

namespace qlry::install {

struct Paths {
    std::wstring source;  // folder holding Quillory.exe and QLRY_WS.dll
    std::wstring target;  // the installation folder
    std::wstring self;    // this program
};

inline constexpr wchar_t kSetupName[] = L"QuillorySetup.exe";
inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillory";

std::wstring DefaultTarget();  // %LOCALAPPDATA%\Programs\Quillory

// What uninstalling cannot remove while this program runs: this program,
// when it is the installed copy, and the folders that hold it.
struct Leftovers {
    std::wstring self;  // empty: nothing left
    std::vector<std::wstring> folders;
};

// Each returns "" on success, else a message for the user.
std::wstring Install(const Paths& paths);
std::wstring Uninstall(const Paths& paths, Leftovers& leftovers);

// Has cmd delete the leftovers once this process has ended: call it last,
// after the user has read the outcome.
void RemoveAfterExit(const Leftovers& leftovers);

}  // namespace qlry::install
