// A small clipboard tool for the demo and for looking at the clipboard by hand.
//   qlry_clip get            print the clipboard text as UTF-8
//   qlry_clip set TEXT       put TEXT (given as UTF-16 by the system) on the clipboard
//   qlry_clip formats        list the formats on the clipboard
//   qlry_clip clear          empty the clipboard
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"get") return Get();
    if (command == L"set" && argc > 2) return Set(argv[2]);
    if (command == L"formats") return Formats();
    if (command == L"clear") return Clear();
    std::fprintf(stderr, "usage: qlry_clip get | set TEXT | formats | clear\n");
    return 64;
}
