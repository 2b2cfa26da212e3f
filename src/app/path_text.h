#pragma once
// Path helpers that behave as the shell's path functions do.
#include <string>

#include "platform/ascii_text.h"  // FindExtension, LowerAscii

namespace qlry {

// PathFindFileNameW: the part after the last backslash, slash or colon that
// another backslash or slash does not follow.
std::wstring FindFileName(const std::wstring& path);

}  // namespace qlry
