// The process's argument vector, split by the platform's own rules.
#include <windows.h>
#include <shellapi.h>

#include "app/command_request.h"

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* vector = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!vector) return arguments;
    for (int i = 0; i < count; ++i) arguments.emplace_back(vector[i]);
    ::LocalFree(vector);
    return arguments;
}

int CCommandRequest::ParseCommandLine() { return ParseCommandLine(ProcessArguments()); }
