#pragma once
// The test that OK runs in both new-file dialogs: a name that exists, or one
// the file system would not create as typed, is refused with a message and
// the dialog stays open.
#include <string>

#include "platform/file_system.h"
#include "newfile/name_dialog_services.h"
#include "transfer/name_dialogs.h"

namespace qlry {

inline constexpr wchar_t kExistingNameMessage[] =
    L"The file name already exists: %s.\nPlease enter a new file name.";
inline constexpr wchar_t kReservedNameMessage[] =
    L"The file name is reserved by Windows for a device: %s.\nPlease enter a new file name.";
inline constexpr wchar_t kTrailingDotOrSpaceMessage[] =
    L"A file name cannot end with a dot or a space: \"%s\".\nPlease enter a new file name.";
inline constexpr wchar_t kNameTooLongMessage[] =
    L"The file name is too long for this folder.\nPlease enter a shorter file name.";
inline constexpr wchar_t kControlCharacterMessage[] =
    L"The file name contains control characters.\nPlease enter a new file name.";

// Longest path the program creates (MAX_PATH less its terminating NUL) and
// longest single name the file systems of Windows store.
inline constexpr size_t kMaxPathLength = 259;
inline constexpr size_t kMaxFileNameLength = 255;

// The message that refuses the new file, or empty when it may be created.
std::wstring NewFileRefusal(const std::wstring& folder, const NewFileName& chosen, FileSystem& files);

// Shows the refusal, if any; true when the new file may be created.
bool AcceptNewFile(const std::wstring& folder, const NewFileName& chosen, FileSystem& files, WarningBox& warning);

// True for CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, with or without an
// extension and in any case: Windows opens the device, not a file.
bool IsReservedDeviceName(const std::wstring& fileName);

}  // namespace qlry
