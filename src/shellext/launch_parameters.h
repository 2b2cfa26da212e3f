#pragma once
// The command lines that start Quillory.exe:
//   -c "path"          copy the file's contents to the clipboard
//   -p "path"          paste, replacing the file
//   -p "path" /a       paste at the end of the file
//   -p "path" /n       path is a folder: paste into a new file there
//   -p "path" /n /q    the same, named at once with no dialog
// A path ending in a backslash (a drive root) gets one more before the closing
// quote; otherwise the program's argument splitting would read \" as a quote.
#include <cstddef>

namespace qlry {

inline constexpr size_t kParamChars = 1024;

// False, with the buffer emptied, when the command line would not fit: a
// command with a cut path must never start.
bool FormatCopyParameters(const wchar_t* path, wchar_t (&params)[kParamChars]);
bool FormatPasteParameters(const wchar_t* path, bool append, bool newFile, wchar_t (&params)[kParamChars],
                           bool quick = false);

}  // namespace qlry
