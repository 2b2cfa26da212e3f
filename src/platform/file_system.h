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
    CreateNew,      // create; fail when the name exists (a fresh temporary file)
};

// How ReplaceFileW ended.
enum class ReplaceResult {
    Replaced,    // the target now holds the replacement's bytes
    TargetBusy,  // another program holds the target open: nothing changed
    Failed,      // anything else (read-only target, no access...): nothing changed
};

// One destination of a read into several buffers.
struct ReadPiece {
    void* data;
    size_t size;
};

class File {
public:
    virtual ~File() = default;
    // Reads up to `bytes`; `got` is 0 at the end of the file. False on a read error.
    virtual bool Read(void* buffer, size_t bytes, size_t& got) = 0;
    // Reads the next bytes of the file into the pieces in turn, as one Read
    // into them all would (readv); `got` counts the bytes. Here one Read a
    // piece; a platform that reads into several buffers at once does better.
    virtual bool ReadPieces(const ReadPiece* pieces, size_t count, size_t& got) {
        got = 0;
        for (size_t i = 0; i < count; ++i) {
            size_t n = 0;
            if (!Read(pieces[i].data, pieces[i].size, n)) return false;
            got += n;
            if (n < pieces[i].size) break;
        }
        return true;
    }
    virtual bool Write(const void* data, size_t bytes) = 0;
    virtual bool SeekToEnd() = 0;
    // Moves to an absolute position (SetFilePointerEx from the start).
    virtual bool Seek(uint64_t offset) = 0;
    // The file's size in bytes; false when it cannot be told.
    virtual bool Size(uint64_t& bytes) = 0;
    // FlushFileBuffers: written data reaches the disk; false when it could not.
    virtual bool Flush() = 0;
    // Cuts the file back to size bytes (SetFilePointerEx + SetEndOfFile).
    virtual bool Truncate(uint64_t size) = 0;
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
    // ReplaceFileW: target takes replacement's bytes and keeps its own
    // attributes, security, creation time and streams; replacement is gone
    // afterwards. On any result but Replaced both files are as they were.
    virtual ReplaceResult Replace(const std::wstring& target, const std::wstring& replacement) = 0;
    // MoveFileExW without replacing: a new file takes the name `to`.
    virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool Delete(const std::wstring& path) = 0;  // DeleteFileW
};

FileSystem& SystemFileSystem();

}  // namespace qlry
