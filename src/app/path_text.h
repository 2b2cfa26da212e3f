#pragma once
// Path helpers that behave as the shell's path functions do.
#include <string>

namespace qlry {

// PathFindExtensionW: from the last dot to the end, when neither a backslash
// nor a space follows that dot; otherwise empty.
std::wstring FindExtension(const std::wstring& path);

// PathFindFileNameW: the part after the last backslash, slash or colon that
// another backslash or slash does not follow.
std::wstring FindFileName(const std::wstring& path);

// Lower-cases the letters A to Z only.
std::wstring LowerAscii(std::wstring text);

}  // namespace qlry
