#pragma once
// Writing that never loses a file: a replace is all or nothing, and a failed
// append leaves exactly the old bytes.
#include <cstddef>
#include <string>

#include "platform/file_system.h"

namespace qlry {

// Gives path exactly these bytes. The whole output goes to a new temporary
// file beside it, is flushed to disk and then put in place: ReplaceFileW for
// an existing file (its attributes, security and creation time stay), a
// rename for a new one. On any failure the temporary file is removed and the
// target is as it was. Only when another program holds the target open so
// that it cannot be replaced is it written in place, as an ordinary program
// would, once the output is complete.
bool WriteWholeFile(FileSystem& files, const std::wstring& path, const void* data, size_t size);

// Adds the bytes at the end of an existing file; if a write, the flush or the
// close fails, the file is cut back to its old size.
bool AppendToFile(FileSystem& files, const std::wstring& path, const void* data, size_t size);

// The name of the temporary file number n beside path.
std::wstring TemporaryNameFor(const std::wstring& path, unsigned n);

}  // namespace qlry
