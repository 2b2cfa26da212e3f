#include <windows.h>
#include <shlwapi.h>

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

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare share,
                               FileDisposition disposition) override {
        const DWORD desired = access == FileAccess::Read ? GENERIC_READ : GENERIC_WRITE;
        const DWORD sharing = share == FileShare::ReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
        // Replacing opens the existing file and cuts it to 0 bytes rather than
        // recreating it, so that its attributes and security stay as they were.
        const DWORD how = disposition == FileDisposition::OpenExisting ? OPEN_EXISTING : OPEN_ALWAYS;
        HANDLE handle = ::CreateFileW(path.c_str(), desired, sharing, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        auto file = std::make_unique<Win32File>(handle);
        if (disposition == FileDisposition::CreateAlways && !::SetEndOfFile(handle)) return nullptr;
        return file;
    }

    bool Exists(const std::wstring& path) override { return ::PathFileExistsW(path.c_str()) != FALSE; }
    bool IsDirectory(const std::wstring& path) override { return ::PathIsDirectoryW(path.c_str()) != FALSE; }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static Win32FileSystem files;
    return files;
}

}  // namespace qlry
