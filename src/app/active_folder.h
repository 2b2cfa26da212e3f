#pragma once
// The folder a "/e" paste goes to: that of the Explorer window in front, the
// desktop folder when the desktop is in front, otherwise none.
#include <string>

#include "app/command_request.h"
#include "platform/explorer_windows.h"

// The folder, or empty: nothing is to be pasted.
std::wstring ActiveExplorerFolder(qlry::ExplorerWindows& windows);

// True for the desktop's own windows: "Progman", and "WorkerW" behind it.
bool IsDesktopWindowClass(const std::wstring& className);

// For a request with "e": its path becomes the active folder. False when
// there is none, so that nothing runs.
bool ResolveActiveFolder(CCommandRequest& request, qlry::ExplorerWindows& windows);
