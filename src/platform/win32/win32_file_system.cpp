#include <windows.h>

#include <climits>

#include "platform/file_system.h"

namespace qlry {

namespace {

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : m_handle(handle) {}
    ~Win32File() override { if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle); }

    bool Read(void* buffer, size_t bytes, size_t& got) override {
        DWORD read = 0;
        const DWORD ask = bytes > UINT_MAX ? UINT_MAX : static_cast<DWORD>(bytes);
        const bool ok = ::ReadFile(m_handle, buffer, ask, &read, nullptr) != FALSE;
        got = ok ? read : 0;
        return ok;
    }

    bool Write(const void* data, size_t bytes) override {
        const auto* at = static_cast<const unsigned char*>(data);
        while (bytes > 0) {
            const DWORD piece = bytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes);
            DWORD written = 0;
            if (!::WriteFile(m_handle, at, piece, &written, nullptr) || written != piece) return false;
            at += piece;
            bytes -= piece;
        }
        return true;
    }

    bool SeekToEnd() override {
        LARGE_INTEGER zero{};
        return ::SetFilePointerEx(m_handle, zero, nullptr, FILE_END) != FALSE;
    }

    bool Seek(uint64_t offset) override {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        return ::SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN) != FALSE;
    }

    bool Flush() override { return ::FlushFileBuffers(m_handle) != FALSE; }

    bool Truncate(uint64_t size) override { return Seek(size) && ::SetEndOfFile(m_handle) != FALSE; }

    bool Size(uint64_t& bytes) override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_handle, &size)) return false;
        bytes = static_cast<uint64_t>(size.QuadPart);
        return true;
    }

    bool Close() override {
        const bool ok = ::CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

// Windows merges the old file's attributes into the new one; Wine does
// not, so they are put back by hand where they were lost.
void KeepAttributes(const std::wstring& path, DWORD old) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = ::GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || (now & kKept) == (old & kKept)) return;
    ::SetFileAttributesW(path.c_str(), (now & ~kKept & ~FILE_ATTRIBUTE_NORMAL) | (old & kKept));
}

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare share,
                               FileDisposition disposition) override {
        const DWORD desired = access == FileAccess::Read ? GENERIC_READ : GENERIC_WRITE;
        const DWORD sharing = share == FileShare::ReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
        // Replacing opens the existing file and cuts it to 0 bytes rather than
        // recreating it, so that its attributes and security stay as they were.
        const DWORD how = disposition == FileDisposition::OpenExisting ? OPEN_EXISTING
                          : disposition == FileDisposition::CreateNew  ? CREATE_NEW
                                                                       : OPEN_ALWAYS;
        HANDLE handle = ::CreateFileW(path.c_str(), desired, sharing, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        auto file = std::make_unique<Win32File>(handle);
        if (disposition == FileDisposition::CreateAlways && !::SetEndOfFile(handle)) return nullptr;
        return file;
    }

    // What PathFileExistsW and PathIsDirectoryW answer, asked of the file
    // system directly: the shell's light library would be loaded for them.
    bool Exists(const std::wstring& path) override {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool IsDirectory(const std::wstring& path) override {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    ReplaceResult Replace(const std::wstring& target, const std::wstring& replacement) override {
        // A read-only file is not ours to replace, as it is not ours to open
        // for writing.
        const DWORD attributes = ::GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
            return ReplaceResult::Failed;
        }
        // With a backup name every failure leaves the old file under a name we
        // know, so it can always be put back.
        const std::wstring backup = replacement + L"~";
        const DWORD flags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
        if (::ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(), flags, nullptr, nullptr)) {
            ::DeleteFileW(backup.c_str());
            KeepAttributes(target, attributes);
            return ReplaceResult::Replaced;
        }
        switch (::GetLastError()) {
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:  // the old file is at the backup name
            ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            return ReplaceResult::Failed;
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return ReplaceResult::TargetBusy;
        default:
            return ReplaceResult::Failed;
        }
    }

    bool Rename(const std::wstring& from, const std::wstring& to) override {
        return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    bool Delete(const std::wstring& path) override { return ::DeleteFileW(path.c_str()) != FALSE; }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static Win32FileSystem files;
    return files;
}

}  // namespace qlry
