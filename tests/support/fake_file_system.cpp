#include "support/fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace qlry::test {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

class FakeFile : public File {
public:
    FakeFile(FakeFileSystem& system, std::string& bytes, FileAccess access)
        : m_system(system), m_bytes(bytes), m_access(access) {}

    bool Read(void* buffer, size_t bytes, size_t& got) override {
        got = 0;
        if (m_system.failRead || m_access != FileAccess::Read) return false;
        got = std::min(bytes, m_bytes.size() - std::min(m_position, m_bytes.size()));
        if (got) std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return true;
    }
    bool Write(const void* data, size_t bytes) override {
        if (m_system.failWrite || m_access != FileAccess::Write) return false;
        // A full disk takes what fits, then fails.
        const size_t fits = std::min(bytes, m_system.diskSpace);
        if (m_position > m_bytes.size()) m_bytes.resize(m_position);
        m_bytes.replace(m_position, std::min(fits, m_bytes.size() - m_position), static_cast<const char*>(data),
                        fits);
        m_position += fits;
        if (m_system.diskSpace != SIZE_MAX) m_system.diskSpace -= fits;
        return fits == bytes;
    }
    bool SeekToEnd() override {
        m_position = m_bytes.size();
        return true;
    }
    bool Seek(uint64_t offset) override {
        m_position = static_cast<size_t>(offset);
        return true;
    }
    bool Size(uint64_t& bytes) override {
        bytes = m_bytes.size();
        return true;
    }
    bool Flush() override { return !m_system.failFlush; }
    bool Truncate(uint64_t size) override {
        if (m_access != FileAccess::Write) return false;
        m_bytes.resize(static_cast<size_t>(size));
        m_position = static_cast<size_t>(size);
        return true;
    }
    bool Close() override { return !m_system.failClose; }

private:
    FakeFileSystem& m_system;
    std::string& m_bytes;
    FileAccess m_access;
    size_t m_position = 0;
};

}  // namespace

std::unique_ptr<File> FakeFileSystem::Open(const std::wstring& path, FileAccess access, FileShare share,
                                           FileDisposition disposition) {
    opens.push_back({path, access, share, disposition});
    if (folders.count(path) || locked.count(path)) return nullptr;
    if (access == FileAccess::Write && readOnly.count(path)) return nullptr;
    auto found = files.find(path);
    if (found == files.end()) {
        if (disposition == FileDisposition::OpenExisting || closedFolders.count(FolderOf(path))) return nullptr;
        found = files.emplace(path, std::string()).first;
    } else if (disposition == FileDisposition::CreateNew) {
        return nullptr;
    } else if (disposition == FileDisposition::CreateAlways) {
        found->second.clear();
    }
    return std::make_unique<FakeFile>(*this, found->second, access);
}

ReplaceResult FakeFileSystem::Replace(const std::wstring& target, const std::wstring& replacement) {
    if (failReplace || readOnly.count(target) || !files.count(target) || !files.count(replacement)) {
        return ReplaceResult::Failed;
    }
    if (locked.count(target) || heldOpen.count(target)) return ReplaceResult::TargetBusy;
    // The target keeps its own attributes; the replacement's name is gone.
    files[target] = std::move(files[replacement]);
    files.erase(replacement);
    attributes.erase(replacement);
    return ReplaceResult::Replaced;
}

bool FakeFileSystem::Rename(const std::wstring& from, const std::wstring& to) {
    if (failRename || !files.count(from) || Exists(to)) return false;
    files[to] = std::move(files[from]);
    files.erase(from);
    if (attributes.count(from)) attributes[to] = attributes[from];
    attributes.erase(from);
    return true;
}

bool FakeFileSystem::Delete(const std::wstring& path) {
    if (locked.count(path) || readOnly.count(path)) return false;
    attributes.erase(path);
    return files.erase(path) != 0;
}

}  // namespace qlry::test
