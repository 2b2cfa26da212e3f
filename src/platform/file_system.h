#pragma once
// Files opened by wide path with explicit access, sharing and disposition,
// shaped after CreateFileW, plus the shell's path queries.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qlry {

enum class FileAccess { Read, Write };
enum class FileShare { None, ReadWrite };
enum class FileDisposition {
    OpenExisting,   // fail when the file does not exist
    CreateAlways,   // create, or truncate an existing file to 0 bytes
};

class File {
public:
    virtual ~File() = default;
    // Reads up to `bytes`; `got` is 0 at the end of the file. False on a read error.
    virtual bool Read(void* buffer, size_t bytes, size_t& got) = 0;
    virtual bool Write(const void* data, size_t bytes) = 0;
    virtual bool SeekToEnd() = 0;
    // The file's size in bytes; false when it cannot be told.
    virtual bool Size(uint64_t& bytes) = 0;
    // Flushes and closes; false when written data could not be stored.
    virtual bool Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare share,
                                       FileDisposition disposition) = 0;
    virtual bool Exists(const std::wstring& path) = 0;       // PathFileExistsW: file or folder
    virtual bool IsDirectory(const std::wstring& path) = 0;  // PathIsDirectoryW
};

FileSystem& SystemFileSystem();

}  // namespace qlry
