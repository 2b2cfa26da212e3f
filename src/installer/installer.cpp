#include "installer.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "common/user_settings.h"
#include "platform/registry.h"
#include "platform/win32/shell_link.h"
#include "shellext/app_path.h"
#include "shellext/reg_script.h"
#include "shellext/reg_tables.h"

namespace qlry::install {

namespace {

constexpr wchar_t kCreatedKeysValue[] = L"QuilloryCreatedKeys";
constexpr wchar_t kCreatedFoldersValue[] = L"QuilloryCreatedFolders";
const wchar_t* const kFiles[] = {kAppFileName, L"QLRY_WS.dll"};

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

std::wstring Parent(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool KeyExists(Registry& registry, const std::wstring& path) {
    UniqueHKey key(registry);
    return registry.OpenKey(RegRoot::CurrentUser, path, kKeyQueryValue, key.put()) == kErrorSuccess;
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Keys that installing may create above its own: the per-user class keys the
// registration keeps (NoRemove) and those the type library's per-user
// registration writes on Windows (TypeLib, and Interface for its dual
// interface; the per-user registration has no proxy/stub), the maker's key,
// the user's Uninstall key.
std::vector<std::wstring> SharedParentKeys() {
    std::vector<std::wstring> keys = {L"Software\\Varnel", L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                      L"Software\\Classes", L"Software\\Classes\\TypeLib",
                                      L"Software\\Classes\\Interface"};
    for (auto rows : {AppIdScript(), ClassScript()})
        for (const RegRow& row : rows)
            if (row.mark == KeyMark::NoRemove) keys.push_back(L"Software\\Classes\\" + std::wstring(row.key));
    return keys;
}

// Folders installing may create: the target and its missing parents.
std::vector<std::wstring> MissingFolders(const std::wstring& target) {
    std::vector<std::wstring> missing;
    for (std::wstring folder = target; !folder.empty() && !FolderExists(folder); folder = Parent(folder))
        missing.push_back(folder);
    return missing;
}

std::wstring MultiString(const std::vector<std::wstring>& items) {
    std::wstring text;
    for (const auto& item : items) text += item + L'\0';
    return text + L'\0';
}

std::vector<std::wstring> ReadMultiString(Registry& registry, HKey key, const std::wstring& name) {
    std::vector<std::wstring> items;
    uint32_t type = 0, bytes = 0;
    if (registry.QueryValue(key, name, type, nullptr, bytes) != kErrorSuccess || type != kRegMultiSz) return items;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    if (registry.QueryValue(key, name, type, data.data(), bytes) != kErrorSuccess) return items;
    for (size_t at = 0; at < data.size() && data[at];) {
        size_t end = data.find(L'\0', at);
        items.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return items;
}

long SetMultiString(Registry& registry, HKey key, const std::wstring& name, const std::vector<std::wstring>& items) {
    std::wstring data = MultiString(items);
    return registry.SetValue(key, name, kRegMultiSz, data.data(), static_cast<uint32_t>(data.size() * sizeof(wchar_t)));
}

long SetDword(Registry& registry, HKey key, const std::wstring& name, uint32_t value) {
    return registry.SetValue(key, name, kRegDword, &value, sizeof value);
}

// Runs regsvr32 silently on the DLL and returns its exit code (-1: not run).
int RunRegsvr32(const std::wstring& switches, const std::wstring& dll) {
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return -1;
    std::wstring exe = Join(system, L"regsvr32.exe");
    std::wstring line = L"\"" + exe + L"\" /s " + switches + L" \"" + dll + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool IsEmptyKey(Registry& registry, const std::wstring& path) {
    UniqueHKey key(registry);
    if (registry.OpenKey(RegRoot::CurrentUser, path, kKeyRead, key.put()) != kErrorSuccess) return false;
    uint32_t subKeys = 1, values = 1;
    return registry.QueryInfoKey(key.get(), subKeys, values) == kErrorSuccess && subKeys == 0 && values == 0;
}

// Deepest first, so that a parent empties after its children.
void RemoveEmptyKeys(Registry& registry, std::vector<std::wstring> keys) {
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& key : keys)
        if (IsEmptyKey(registry, key)) registry.DeleteKey(RegRoot::CurrentUser, key);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The hotkey the settings hold (a reinstall keeps the user's), else Ctrl+Alt+V.
uint16_t ChosenHotKey(Registry& registry) {
    UniqueHKey key(registry);
    uint32_t value = 0, type = 0, bytes = sizeof value;
    if (registry.OpenKey(RegRoot::CurrentUser, kSettingsKey, kKeyQueryValue, key.put()) == kErrorSuccess &&
        registry.QueryValue(key.get(), kHotKeyEntry, type, &value, bytes) == kErrorSuccess && type == kRegDword &&
        bytes == sizeof value && IsUsableHotKey(value))
        return static_cast<uint16_t>(value);
    return kDefaultHotKey;
}

// The two Start-menu entries: the settings window, and the quick paste
// into the active Explorer window with its hotkey.
std::wstring AddStartMenuEntries(Registry& registry, const std::wstring& target) {
    const std::wstring program = Join(target, kAppFileName);
    const std::wstring settings = StartMenuEntryPath(kSettingsShortcutName);
    const std::wstring paste = StartMenuEntryPath(kPasteShortcutName);
    if (settings.empty() || paste.empty()) return L"cannot find the Start menu folder";
    if (!WriteShortcut(settings, {program, kSettingsShortcutArguments, target, kSettingsShortcutDescription, 0}))
        return L"cannot write " + settings;
    if (!WriteShortcut(paste, {program, kPasteShortcutArguments, target, kPasteShortcutDescription,
                               ChosenHotKey(registry)}))
        return L"cannot write " + paste;
    return L"";
}

void RemoveStartMenuEntries() {
    for (const wchar_t* name : {kSettingsShortcutName, kPasteShortcutName}) {
        const std::wstring path = StartMenuEntryPath(name);
        if (!path.empty()) ::DeleteFileW(path.c_str());
    }
}

}  // namespace

std::wstring DefaultTarget() {
    wchar_t* local = nullptr;
    std::wstring target;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)))
        target = std::wstring(local) + L"\\Programs\\Quillory";
    ::CoTaskMemFree(local);
    return target;
}

std::wstring Install(const Paths& paths) {
    Registry& registry = SystemRegistry();
    for (const wchar_t* file : kFiles)
        if (::GetFileAttributesW(Join(paths.source, file).c_str()) == INVALID_FILE_ATTRIBUTES)
            return L"missing " + Join(paths.source, file);

    // What this installation creates, kept across reinstalls.
    std::vector<std::wstring> createdKeys, createdFolders;
    {
        UniqueHKey entry(registry);
        if (registry.OpenKey(RegRoot::CurrentUser, kUninstallKey, kKeyRead, entry.put()) == kErrorSuccess) {
            createdKeys = ReadMultiString(registry, entry.get(), kCreatedKeysValue);
            createdFolders = ReadMultiString(registry, entry.get(), kCreatedFoldersValue);
        }
    }
    for (const auto& key : SharedParentKeys())
        if (!KeyExists(registry, key)) createdKeys.push_back(key);
    for (const auto& folder : MissingFolders(paths.target)) createdFolders.push_back(folder);

    if (::SHCreateDirectoryExW(nullptr, paths.target.c_str(), nullptr) != ERROR_SUCCESS && !FolderExists(paths.target))
        return L"cannot create " + paths.target;
    for (const wchar_t* file : kFiles)
        if (!::CopyFileW(Join(paths.source, file).c_str(), Join(paths.target, file).c_str(), FALSE))
            return L"cannot copy " + std::wstring(file) + L" (is Explorer still using it?)";
    std::wstring setup = Join(paths.target, kSetupName);
    if (!SameFolder(paths.self, setup) && !::CopyFileW(paths.self.c_str(), setup.c_str(), FALSE))
        return L"cannot copy " + std::wstring(kSetupName);

    // The entry first: an interrupted installation can then be uninstalled.
    UniqueHKey entry(registry);
    if (registry.CreateKey(RegRoot::CurrentUser, kUninstallKey, entry.put()) != kErrorSuccess)
        return L"cannot write the uninstall entry";
    SetStringValue(registry, entry.get(), L"DisplayName", L"Quillory");
    SetStringValue(registry, entry.get(), L"DisplayVersion", L"1.0.0.0");
    SetStringValue(registry, entry.get(), L"Publisher", L"Varnel");
    SetStringValue(registry, entry.get(), L"InstallLocation", paths.target);
    SetStringValue(registry, entry.get(), L"DisplayIcon", Join(paths.target, kAppFileName));
    SetStringValue(registry, entry.get(), L"UninstallString", L"\"" + setup + L"\" /uninstall");
    SetDword(registry, entry.get(), L"NoModify", 1);
    SetDword(registry, entry.get(), L"NoRepair", 1);
    SetMultiString(registry, entry.get(), kCreatedKeysValue, createdKeys);
    SetMultiString(registry, entry.get(), kCreatedFoldersValue, createdFolders);
    entry.reset();

    UniqueHKey settings(registry);
    if (registry.CreateKey(RegRoot::CurrentUser, kInstallKey, settings.put()) != kErrorSuccess ||
        SetStringValue(registry, settings.get(), kAppFolderValue, paths.target) != kErrorSuccess)
        return L"cannot write AppFolder";
    settings.reset();

    int code = RunRegsvr32(L"/n /i:user", Join(paths.target, L"QLRY_WS.dll"));
    if (code != 0) return L"registering QLRY_WS.dll failed (regsvr32 exit code " + std::to_wstring(code) + L")";
    return AddStartMenuEntries(registry, paths.target);
}

std::wstring Uninstall(const Paths& paths, Leftovers& leftovers) {
    Registry& registry = SystemRegistry();
    std::wstring target = paths.target;
    std::vector<std::wstring> createdKeys, createdFolders;
    {
        UniqueHKey entry(registry);
        if (registry.OpenKey(RegRoot::CurrentUser, kUninstallKey, kKeyRead, entry.put()) == kErrorSuccess) {
            createdKeys = ReadMultiString(registry, entry.get(), kCreatedKeysValue);
            createdFolders = ReadMultiString(registry, entry.get(), kCreatedFoldersValue);
        }
    }

    std::wstring problem;
    std::wstring dll = Join(target, L"QLRY_WS.dll");
    if (::GetFileAttributesW(dll.c_str()) != INVALID_FILE_ATTRIBUTES) {
        int code = RunRegsvr32(L"/u /n /i:user", dll);
        if (code != 0)
            problem = L"unregistering QLRY_WS.dll failed (regsvr32 exit code " + std::to_wstring(code) + L")";
    }
    RemoveStartMenuEntries();
    // The program's own settings go too.
    registry.DeleteTree(RegRoot::CurrentUser, kInstallKey);
    registry.DeleteTree(RegRoot::CurrentUser, kUninstallKey);
    RemoveEmptyKeys(registry, createdKeys);

    for (const wchar_t* file : kFiles)
        if (!::DeleteFileW(Join(target, file).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND && problem.empty())
            problem = L"cannot delete " + Join(target, file) + L" (is Explorer still using it?)";

    std::wstring setup = Join(target, kSetupName);
    if (SameFolder(paths.self, setup)) {
        leftovers = {setup, createdFolders};
    } else {
        ::DeleteFileW(setup.c_str());
        for (const auto& folder : createdFolders) ::RemoveDirectoryW(folder.c_str());
    }
    return problem;
}

// A program cannot delete its own file while it runs: cmd does it two
// seconds later, when this process has ended.
void RemoveAfterExit(const Leftovers& leftovers) {
    if (leftovers.self.empty()) return;
    std::wstring command = L"/d /c \"ping -n 3 127.0.0.1 >nul & del /f /q \"" + leftovers.self + L"\"";
    for (const auto& folder : leftovers.folders) command += L" & rmdir /q \"" + folder + L"\"";
    command += L"\"";
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::wstring exe = Join(system, L"cmd.exe");
    std::wstring line = L"\"" + exe + L"\" " + command;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    // Started in the system folder: a folder that is cmd's current one (this
    // program's, when the list of installed apps starts it there) cannot be
    // removed.
    if (::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, system,
                         &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

}  // namespace qlry::install
