#include "support/fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace qlry::test {

namespace {

class FakeFile : public File {
public:
    FakeFile(FakeFileSystem& system, std::string& bytes, FileAccess access)
        : m_system(system), m_bytes(bytes), m_access(access) {}

    bool Read(void* buffer, size_t bytes, size_t& got) override {
        got = 0;
        if (m_system.failRead || m_access != FileAccess::Read) return false;
        got = std::min(bytes, m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return true;
    }
    bool Write(const void* data, size_t bytes) override {
        if (m_system.failWrite || m_access != FileAccess::Write) return false;
        m_bytes.replace(m_position, std::min(bytes, m_bytes.size() - m_position), static_cast<const char*>(data),
                        bytes);
        m_position += bytes;
        return true;
    }
    bool SeekToEnd() override {
        m_position = m_bytes.size();
        return true;
    }
    bool Size(uint64_t& bytes) override {
        bytes = m_bytes.size();
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
    auto found = files.find(path);
    if (found == files.end()) {
        if (disposition == FileDisposition::OpenExisting) return nullptr;
        found = files.emplace(path, std::string()).first;
    } else if (disposition == FileDisposition::CreateAlways) {
        found->second.clear();
    }
    return std::make_unique<FakeFile>(*this, found->second, access);
}

}  // namespace qlry::test
