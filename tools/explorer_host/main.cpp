// qlry_explorer_host: plays Explorer for QLRY_WS.dll. It creates the handler,
// initialises it with a selection or a folder background, builds the menu
// into a real popup menu between two entries of its own, prints it, and can
// choose an entry by its text.
//
//   qlry_explorer_host [--per-user | --dll PATH] [--invoke TEXT] [--verb VERB]
//                      [--shift] [--ex] [--time RUNS] (--background FOLDER | PATH...)
// --shift chooses the entry with Shift held (CMIC_MASK_SHIFT_DOWN), --ex
// through the extended structure CMINVOKECOMMANDINFOEX.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "handler_source.h"
#include "menu_dump.h"
#include "selection.h"

namespace {

struct Options {
    HandlerSource source;
    std::wstring background;
    std::vector<std::wstring> items;
    std::wstring invoke;
    std::string verb;
    bool hasVerb = false;
    bool shift = false;
    bool extended = false;
    int timeRuns = 0;
};

void Print(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, utf8.data(), bytes, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

std::wstring Hex(HRESULT result) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return text;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == L"--per-user") {
            options.source.dllPath = PerUserServerPath();
            if (options.source.dllPath.empty()) {
                Print(L"error: no per-user registration\n");
                return false;
            }
        } else if (arg == L"--dll" && hasValue) {
            options.source.dllPath = argv[++i];
        } else if (arg == L"--background" && hasValue) {
            options.background = argv[++i];
        } else if (arg == L"--invoke" && hasValue) {
            options.invoke = argv[++i];
        } else if (arg == L"--verb" && hasValue) {
            std::wstring verb = argv[++i];
            options.verb.assign(verb.begin(), verb.end());
            options.hasVerb = true;
        } else if (arg == L"--shift") {
            options.shift = true;
        } else if (arg == L"--ex") {
            options.extended = true;
        } else if (arg == L"--time" && hasValue) {
            options.timeRuns = _wtoi(argv[++i]);
        } else if (arg.starts_with(L"--")) {
            return false;
        } else {
            options.items.push_back(arg);
        }
    }
    return options.background.empty() != options.items.empty();
}

HMENU NewHostMenu() {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"Open");
    ::AppendMenuW(menu, MF_STRING, 2, L"Properties");
    return menu;
}

HRESULT Select(const Options& options, Selection& selection) {
    return options.background.empty() ? selection.SelectItems(options.items)
                                      : selection.SelectBackground(options.background);
}

// Initialize + QueryContextMenu, as Explorer waits for them, on fresh handlers.
int Time(Options& options, Selection& selection) {
    std::vector<double> runs;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < options.timeRuns; ++i) {
        IContextMenu* handler = nullptr;
        if (FAILED(CreateHandler(options.source, &handler))) return 3;
        IShellExtInit* init = nullptr;
        handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
        HMENU menu = NewHostMenu();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        if (SUCCEEDED(selection.InitializeHandler(init)))
            handler->QueryContextMenu(menu, 1, kFirstCommandId, 0x7FFF, CMF_NORMAL);
        ::QueryPerformanceCounter(&end);
        runs.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                       static_cast<double>(frequency.QuadPart));
        ::DestroyMenu(menu);
        init->Release();
        handler->Release();
    }
    std::sort(runs.begin(), runs.end());
    auto at = [&](double q) { return runs[static_cast<size_t>(q * static_cast<double>(runs.size() - 1))]; };
    wchar_t line[200];
    swprintf(line, 200, L"timing: runs=%d median=%.3f ms p90=%.3f ms min=%.3f ms max=%.3f ms\n",
             static_cast<int>(runs.size()), at(0.5), at(0.9), runs.front(), runs.back());
    Print(line);
    return 0;
}

int Run(Options& options) {
    Selection selection;
    HRESULT result = Select(options, selection);
    if (FAILED(result)) {
        Print(L"error: cannot select the target: " + Hex(result) + L"\n");
        return 3;
    }
    if (options.timeRuns > 0) return Time(options, selection);

    IContextMenu* handler = nullptr;
    result = CreateHandler(options.source, &handler);
    Print(L"handler: " + (options.source.dllPath.empty() ? std::wstring(L"com") : L"dll " + options.source.dllPath) +
          L" " + Hex(result) + L"\n");
    if (FAILED(result)) return 3;

    IShellExtInit* init = nullptr;
    handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
    result = selection.InitializeHandler(init);
    Print(L"initialize: " + Hex(result) + L"\n");

    HMENU menu = NewHostMenu();
    if (SUCCEEDED(result)) {
        // Explorer asks only handlers that initialised.
        result = handler->QueryContextMenu(menu, 1, kFirstCommandId, 0x7FFF, CMF_NORMAL);
        Print(L"query: " + Hex(result) + L" count=" + std::to_wstring(HRESULT_CODE(result)) + L"\n");
    }
    Print(L"menu:\n" + DescribeMenu(menu, handler));

    int exitCode = 0;
    if (!options.invoke.empty()) {
        UINT id = FindCommand(menu, options.invoke);
        if (id < kFirstCommandId) {
            Print(L"invoke \"" + options.invoke + L"\": no such entry\n");
            exitCode = 4;
        } else {
            // Explorer passes the extended structure under the same name.
            CMINVOKECOMMANDINFOEX info = {};
            info.cbSize = options.extended ? sizeof(CMINVOKECOMMANDINFOEX) : sizeof(CMINVOKECOMMANDINFO);
            info.fMask = (options.shift ? CMIC_MASK_SHIFT_DOWN : 0) | (options.extended ? CMIC_MASK_UNICODE : 0);
            info.lpVerb = MAKEINTRESOURCEA(id - kFirstCommandId);
            info.lpVerbW = MAKEINTRESOURCEW(id - kFirstCommandId);
            info.nShow = SW_SHOWNORMAL;
            Print(L"invoke \"" + options.invoke + L"\": " +
                  Hex(handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info))) + L"\n");
        }
    }
    if (options.hasVerb) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = options.verb.c_str();
        info.nShow = SW_SHOWNORMAL;
        Print(L"verb \"" + std::wstring(options.verb.begin(), options.verb.end()) +
              L"\": " + Hex(handler->InvokeCommand(&info)) + L"\n");
    }
    ::DestroyMenu(menu);
    init->Release();
    handler->Release();
    return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Print(L"usage: qlry_explorer_host [--per-user | --dll PATH] [--invoke TEXT] [--verb VERB] [--shift] [--ex]\n"
              L"                          [--time RUNS]\n"
              L"                          (--background FOLDER | PATH...)\n");
        return 2;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    int exitCode = Run(options);
    ::CoUninitialize();
    if (options.source.module) ::FreeLibrary(options.source.module);
    return exitCode;
}
