#pragma once
// Text rules for the name of a new file.
#include <string>

#include "platform/ascii_text.h"  // EqualsIgnoringAsciiCase
#include "newfile/name_dialog_services.h"

namespace qlry {

// A copy without white space (as Unicode defines it) at either end.
std::wstring TrimWhiteSpace(const std::wstring& text);

// A copy in which each of \ / : * ? " < > | is a space.
std::wstring ReplaceInvalidNameChars(const std::wstring& text);

// The local time as "YYYYMMDD hhmmss", for example "20131105 143012".
std::wstring MakeTimestampName(const LocalTime& time);

}  // namespace qlry
