// The process's argument vector, split by the platform's own rules.
#include "app/win32/command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* vector = ::CommandLineToArgvW(commandLine, &count);
    if (!vector) return arguments;
    for (int i = 0; i < count; ++i) arguments.emplace_back(vector[i]);
    ::LocalFree(vector);
    return arguments;
}

int CCommandRequest::ParseCommandLine() { return ParseCommandLine(SplitCommandLine(::GetCommandLineW())); }
