#include "win/support/win_test_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace qlry::wintest {

std::wstring BinFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring MakeTempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qlry-" + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

int RunQuillory(const std::wstring& arguments, DWORD timeoutMs) {
    HANDLE process = StartProgram(BinFolder() + L"\\Quillory.exe", arguments);
    if (!process) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process, &code);
    } else {
        ::TerminateProcess(process, 1);
    }
    ::CloseHandle(process);
    return static_cast<int>(code);
}

namespace {

bool OpenWithRetry() {
    // Another process may hold the clipboard for a moment.
    for (int i = 0; i < 100; ++i) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(10);
    }
    return false;
}

}  // namespace

namespace {

HGLOBAL TextBlock(const std::wstring& text) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* units = static_cast<wchar_t*>(::GlobalLock(block));
    text.copy(units, text.size());
    units[text.size()] = L'\0';
    ::GlobalUnlock(block);
    return block;
}

HBITMAP SolidBitmap(int width, int height, COLORREF color) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    HBRUSH brush = ::CreateSolidBrush(color);
    RECT all{0, 0, width, height};
    ::FillRect(memory, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

bool PutClipboard(const std::wstring* text, int width, int height, COLORREF color) {
    if (!OpenWithRetry()) return false;
    ::EmptyClipboard();
    bool ok = true;
    if (text) ok = ::SetClipboardData(CF_UNICODETEXT, TextBlock(*text)) != nullptr;
    if (width > 0) ok = ok && ::SetClipboardData(CF_BITMAP, SolidBitmap(width, height, color)) != nullptr;
    ::CloseClipboard();
    return ok;
}

bool PutClipboardText(const std::wstring& text) { return PutClipboard(&text, 0, 0, 0); }

bool PutClipboardBitmap(int width, int height, COLORREF color) { return PutClipboard(nullptr, width, height, color); }

bool EmptyTheClipboard() {
    if (!OpenWithRetry()) return false;
    const bool ok = ::EmptyClipboard() != FALSE;
    ::CloseClipboard();
    return ok;
}

bool PutClipboardRegistered(const wchar_t* name, const std::string& bytes) {
    const UINT format = ::RegisterClipboardFormatW(name);
    if (!format) return false;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return false;
    std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    if (!OpenWithRetry()) {
        ::GlobalFree(block);
        return false;
    }
    ::EmptyClipboard();
    const bool ok = ::SetClipboardData(format, block) != nullptr;
    if (!ok) ::GlobalFree(block);
    ::CloseClipboard();
    return ok;
}

bool ClipboardText(std::wstring& text) {
    if (!OpenWithRetry()) return false;
    bool found = false;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
            const size_t count = ::GlobalSize(data) / sizeof(wchar_t);
            size_t length = 0;
            while (length < count && units[length]) ++length;
            text.assign(units, length);
            ::GlobalUnlock(data);
            found = true;
        }
    }
    ::CloseClipboard();
    return found;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

}  // namespace qlry::wintest
