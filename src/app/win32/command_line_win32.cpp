// The process's argument vector, split by the platform's rules.
#include "app/win32/command_line_win32.h"

#include <windows.h>

int CCommandRequest::ParseCommandLine() { return ParseCommandLine(SplitCommandLine(::GetCommandLineW())); }
