#include "win/shellext/shellext_win_support.h"

#include <shlobj.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "win/support/win_test_support.h"

namespace qlry::wintest {

namespace {

constexpr wchar_t kInstallKey[] = L"Software\\Varnel\\Quillory";

void DumpInto(HKEY root, const std::wstring& path, std::vector<std::wstring>& lines) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    lines.push_back(path);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0;
        BYTE data[8192];
        DWORD bytes = sizeof data - 2;
        if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
        data[bytes] = data[bytes + 1] = 0;
        std::wstring text = type == REG_SZ || type == REG_EXPAND_SZ ? reinterpret_cast<wchar_t*>(data)
                                                                    : L"<type " + std::to_wstring(type) + L">";
        lines.push_back(path + L"|" + (nameLength ? std::wstring(name) : L"@") + L"=" + text);
    }
    std::vector<std::wstring> children;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    ::RegCloseKey(key);
    for (const auto& child : children) DumpInto(root, path + L"\\" + child, lines);
}

}  // namespace

std::wstring BinFile(const std::wstring& name) { return BinFolder() + L"\\" + name; }

std::wstring DllPath() { return BinFile(L"QLRY_WS.dll"); }

std::wstring LocalAppData() {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) result = path;
    ::CoTaskMemFree(path);
    return result;
}

std::wstring SystemProgram(const std::wstring& name) {
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(system) + L"\\" + name : name;
}

ProcessResult RunCaptured(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process = {};
    BOOL started = ::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                    nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    if (!started) {
        ::CloseHandle(readEnd);
        return result;
    }
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    ::CloseHandle(readEnd);
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = static_cast<int>(code);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return result;
}

int Regsvr32(const std::wstring& switches) {
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    return RunCaptured(std::wstring(system) + L"\\regsvr32.exe", L"/s " + switches + L" \"" + DllPath() + L"\"")
        .exitCode;
}

std::vector<std::wstring> DumpKey(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> lines;
    DumpInto(root, path, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const std::wstring& name) {
    wchar_t text[2048] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(root, path.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                       &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return text;
}

std::string WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    // A file that exists but cannot be read yet (Wine may still hold it in
    // the writer's rename) is read again.
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (FileExists(path)) {
            std::string bytes = ReadFileBytes(path);
            if (!bytes.empty()) return bytes;
        }
        ::Sleep(50);
    }
    return "";
}

bool WaitUntilGone(const std::wstring& path, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(50);
    }
    return false;
}

std::string Utf8(const std::wstring& text) {
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

AppFolderScope::AppFolderScope(const std::wstring& folder) {
    m_hadMaker = KeyExists(HKEY_CURRENT_USER, L"Software\\Varnel");
    m_hadKey = KeyExists(HKEY_CURRENT_USER, kInstallKey);
    m_old = ReadString(HKEY_CURRENT_USER, kInstallKey, L"AppFolder");
    m_had = m_old != L"<none>";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kInstallKey, L"AppFolder", REG_SZ, folder.c_str(),
                      static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

AppFolderScope::~AppFolderScope() {
    if (m_had)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kInstallKey, L"AppFolder", REG_SZ, m_old.c_str(),
                          static_cast<DWORD>((m_old.size() + 1) * sizeof(wchar_t)));
    else
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kInstallKey, L"AppFolder");
    // Keys this scope created go again (RegDeleteKeyW keeps a key with subkeys).
    if (!m_hadKey) ::RegDeleteKeyW(HKEY_CURRENT_USER, kInstallKey);
    if (!m_hadMaker) ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Varnel");
}

// A shortcut's target, arguments and hotkey, read back through IShellLinkW.
void ExpectShortcut(const std::wstring& path, const std::wstring& program, const std::wstring& arguments,
                    WORD hotKey) {
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(FileExists(path)) << Utf8(path);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link)));
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t text[MAX_PATH] = {};
    WORD read = 0xFFFF;
    EXPECT_EQ(S_OK, file->Load(path.c_str(), STGM_READ));
    link->GetPath(text, MAX_PATH, nullptr, 0);
    EXPECT_EQ(0, ::lstrcmpiW(program.c_str(), text)) << Utf8(text);
    link->GetArguments(text, MAX_PATH);
    EXPECT_EQ(arguments, text);
    link->GetHotkey(&read);
    EXPECT_EQ(hotKey, read);
    file->Release();
    link->Release();
}

}  // namespace qlry::wintest
