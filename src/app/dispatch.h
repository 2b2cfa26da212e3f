#pragma once
// Runs the one operation of a start: the file's extension steers a copy, the
// clipboard's content a paste.
#include <string>

#include "transfer/transfer_services.h"

// 0 when a copy ran, -1 otherwise.
int RunCopy(const std::wstring& path, qlry::TransferServices& services);

// 0 when a paste ran, -1 when the clipboard holds nothing usable.
int RunPaste(const std::wstring& path, int bAppend, int bNewFile, qlry::TransferServices& services);
