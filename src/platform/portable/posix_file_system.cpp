// Files through the C library, for builds without the Win32 API. Paths are
// UTF-16 code units held in wchar_t; they are passed on as UTF-8. Sharing
// modes have no meaning here.
#include <sys/stat.h>

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
    bool Write(const void* data, size_t bytes) override { return std::fwrite(data, 1, bytes, m_file) == bytes; }
    bool SeekToEnd() override { return std::fseek(m_file, 0, SEEK_END) == 0; }
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
        const char* mode = access == FileAccess::Read ? "rb" : (disposition == FileDisposition::OpenExisting ? "r+b" : "wb");
        FILE* file = std::fopen(narrow.c_str(), mode);
        if (!file) return nullptr;
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
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem files;
    return files;
}

}  // namespace qlry
