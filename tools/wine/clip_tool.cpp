// A small clipboard tool for the demo and for looking at the clipboard by hand.
//   qlry_clip get            print the clipboard text as UTF-8
//   qlry_clip set TEXT       put TEXT (given as UTF-16 by the system) on the clipboard
//   qlry_clip formats        list the formats on the clipboard
//   qlry_clip clear          empty the clipboard
//   qlry_clip load FILE      put FILE's bytes on the clipboard as text, one
//                            character a byte: the least a program copying a
//                            text file must do (the start-up benchmark's reference)
//   qlry_clip size FORMAT    print the size of the clipboard block of that
//                            registered format name ("PNG"), 0 when absent
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int Get() {
    if (!::OpenClipboard(nullptr)) return 2;
    int status = 1;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
            const int units = static_cast<int>(::GlobalSize(data) / sizeof(wchar_t));
            int length = 0;
            while (length < units && text[length]) ++length;
            const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<size_t>(bytes), '\0');
            ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
            std::fwrite(utf8.data(), 1, utf8.size(), stdout);
            ::GlobalUnlock(data);
            status = 0;
        }
    }
    ::CloseClipboard();
    return status;
}

int Set(const std::wstring& text) {
    if (!::OpenClipboard(nullptr)) return 2;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    int status = 1;
    if (block) {
        auto* units = static_cast<wchar_t*>(::GlobalLock(block));
        text.copy(units, text.size());
        units[text.size()] = L'\0';
        ::GlobalUnlock(block);
        if (::SetClipboardData(CF_UNICODETEXT, block)) status = 0;
        else ::GlobalFree(block);
    }
    ::CloseClipboard();
    return status;
}

int Formats() {
    if (!::OpenClipboard(nullptr)) return 2;
    for (UINT format = ::EnumClipboardFormats(0); format; format = ::EnumClipboardFormats(format)) {
        std::printf("%u\n", format);
    }
    ::CloseClipboard();
    return 0;
}

int Clear() {
    if (!::OpenClipboard(nullptr)) return 2;
    const bool ok = ::EmptyClipboard();
    ::CloseClipboard();
    return ok ? 0 : 1;
}

int Load(const wchar_t* path) {
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::string bytes(static_cast<size_t>(::GetFileSize(file, nullptr)), '\0');
    DWORD got = 0;
    const bool read = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    if (!read) return 1;
    return Set(std::wstring(bytes.begin(), bytes.begin() + got));
}

int Size(const wchar_t* name) {
    const UINT format = ::RegisterClipboardFormatW(name);
    if (!::OpenClipboard(nullptr)) return 2;
    HANDLE data = format ? ::GetClipboardData(format) : nullptr;
    std::printf("%zu\n", data ? static_cast<size_t>(::GlobalSize(data)) : size_t{0});
    ::CloseClipboard();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"get") return Get();
    if (command == L"set" && argc > 2) return Set(argv[2]);
    if (command == L"formats") return Formats();
    if (command == L"clear") return Clear();
    if (command == L"load" && argc > 2) return Load(argv[2]);
    if (command == L"size" && argc > 2) return Size(argv[2]);
    std::fprintf(stderr, "usage: qlry_clip get | set TEXT | formats | clear | load FILE | size FORMAT\n");
    return 64;
}
