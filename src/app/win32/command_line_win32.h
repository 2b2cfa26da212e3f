#pragma once
#include <string>
#include <vector>

#include "app/command_request.h"

// Splits a command line as the platform does for a program's arguments.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
