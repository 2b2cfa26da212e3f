// Files through the C library, for builds without the Win32 API. Paths are
// UTF-16 code units held in wchar_t; they are passed on as UTF-8. Sharing
// modes have no meaning here.
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/file_system.h"

namespace qlry {

namespace {

std::string NarrowPath(const std::wstring& path) {
    std::string out;
    for (wchar_t wc : path) {
        auto c = static_cast<uint32_t>(wc);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

class StdioFile : public File {
public:
    explicit StdioFile(FILE* file) : m_file(file) {}
    ~StdioFile() override { if (m_file) std::fclose(m_file); }

    bool Read(void* buffer, size_t bytes, size_t& got) override {
        got = std::fread(buffer, 1, bytes, m_file);
        return !std::ferror(m_file);
    }
    // One system call for many pieces, at the stream's position; the stream
    // is then moved past what came.
    bool ReadPieces(const ReadPiece* pieces, size_t count, size_t& got) override {
        got = 0;
        const off_t start = ::ftello(m_file);
        if (start < 0) return false;
        while (count > 0) {
            iovec vectors[kMaxVectors];
            size_t wanted = 0;
            const size_t n = count < kMaxVectors ? count : kMaxVectors;
            for (size_t i = 0; i < n; ++i) {
                vectors[i] = {pieces[i].data, pieces[i].size};
                wanted += pieces[i].size;
            }
            const ssize_t read = ::preadv(fileno(m_file), vectors, static_cast<int>(n), start + static_cast<off_t>(got));
            if (read < 0) return false;
            got += static_cast<size_t>(read);
            if (static_cast<size_t>(read) < wanted) break;
            pieces += n;
            count -= n;
        }
        return ::fseeko(m_file, start + static_cast<off_t>(got), SEEK_SET) == 0;
    }
    bool Write(const void* data, size_t bytes) override { return std::fwrite(data, 1, bytes, m_file) == bytes; }
    bool SeekToEnd() override { return std::fseek(m_file, 0, SEEK_END) == 0; }
    bool Seek(uint64_t offset) override { return ::fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0; }
    bool Flush() override { return std::fflush(m_file) == 0 && ::fsync(fileno(m_file)) == 0; }
    bool Truncate(uint64_t size) override {
        return std::fflush(m_file) == 0 && ::ftruncate(fileno(m_file), static_cast<off_t>(size)) == 0 &&
               Seek(size);
    }
    bool Size(uint64_t& bytes) override {
        struct stat info {};
        if (::fstat(fileno(m_file), &info) != 0) return false;
        bytes = static_cast<uint64_t>(info.st_size);
        return true;
    }
    bool Close() override {
        const bool ok = std::fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }

private:
    static constexpr size_t kMaxVectors = 1024;  // IOV_MAX on Linux
    FILE* m_file;
};

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare,
                               FileDisposition disposition) override {
        const std::string narrow = NarrowPath(path);
        struct stat info {};
        const bool exists = ::stat(narrow.c_str(), &info) == 0;
        if (exists && S_ISDIR(info.st_mode)) return nullptr;
        if (disposition == FileDisposition::OpenExisting && !exists) return nullptr;
        if (disposition == FileDisposition::CreateNew && exists) return nullptr;
        const char* mode = access == FileAccess::Read                     ? "rb"
                           : disposition == FileDisposition::OpenExisting ? "r+b"
                           : disposition == FileDisposition::CreateNew    ? "wbx"
                                                                          : "wb";
        FILE* file = std::fopen(narrow.c_str(), mode);
        if (!file) return nullptr;
        // Unbuffered, as a Win32 handle is: callers read and write in large
        // pieces (the image stream keeps its own buffer), and a buffer here
        // would only split large reads and copy their tails twice.
        std::setvbuf(file, nullptr, _IONBF, 0);
        return std::make_unique<StdioFile>(file);
    }

    bool Exists(const std::wstring& path) override {
        struct stat info {};
        return ::stat(NarrowPath(path).c_str(), &info) == 0;
    }

    bool IsDirectory(const std::wstring& path) override {
        struct stat info {};
        return ::stat(NarrowPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    ReplaceResult Replace(const std::wstring& target, const std::wstring& replacement) override {
        // rename() keeps the new file's own mode, unlike ReplaceFileW; give
        // it the old file's permission bits first.
        struct stat info {};
        const std::string to = NarrowPath(target);
        if (::stat(to.c_str(), &info) != 0 || ::access(to.c_str(), W_OK) != 0) return ReplaceResult::Failed;
        const std::string from = NarrowPath(replacement);
        ::chmod(from.c_str(), info.st_mode & 07777);
        return std::rename(from.c_str(), to.c_str()) == 0 ? ReplaceResult::Replaced : ReplaceResult::Failed;
    }

    bool Rename(const std::wstring& from, const std::wstring& to) override {
        // link + unlink: like MoveFileExW without replacing, it fails when `to` exists.
        const std::string source = NarrowPath(from), dest = NarrowPath(to);
        if (::link(source.c_str(), dest.c_str()) != 0) return false;
        ::unlink(source.c_str());
        return true;
    }

    bool Delete(const std::wstring& path) override { return ::unlink(NarrowPath(path).c_str()) == 0; }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem files;
    return files;
}

}  // namespace qlry
