#pragma once
// An in-memory registry: three roots, case-insensitive key and value names,
// handles that must be closed, and writes that can be made to fail.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace qlry::test {

class FakeRegistry : public Registry {
public:
    FakeRegistry();
    ~FakeRegistry() override;

    // Failure injection: write number `failWriteNumber` (1-based; creating,
    // setting and deleting all count) answers kErrorAccessDenied.
    int failWriteNumber = 0;
    bool denyWrites = false;  // every write answers kErrorAccessDenied

    long OpenKey(RegRoot root, const std::wstring& subKey, uint32_t access, HKey& key) override;
    long CreateKey(RegRoot root, const std::wstring& subKey, HKey& key) override;
    long QueryValue(HKey key, const std::wstring& name, uint32_t& type, void* data, uint32_t& bytes) override;
    long SetValue(HKey key, const std::wstring& name, uint32_t type, const void* data, uint32_t bytes) override;
    long DeleteValue(HKey key, const std::wstring& name) override;
    long QueryInfoKey(HKey key, uint32_t& subKeys, uint32_t& values) override;
    long DeleteKey(RegRoot root, const std::wstring& subKey) override;
    long DeleteTree(RegRoot root, const std::wstring& subKey) override;
    long CloseKey(HKey key) override;

    // Test-side access.
    void Clear();  // every root emptied
    void PutKey(RegRoot root, const std::wstring& path);
    void PutRaw(RegRoot root, const std::wstring& path, const std::wstring& name, uint32_t type,
                std::vector<uint8_t> data);
    void PutString(RegRoot root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
                   uint32_t type = kRegSz);
    bool HasKey(RegRoot root, const std::wstring& path) const;
    std::optional<std::wstring> GetString(RegRoot root, const std::wstring& path, const std::wstring& name) const;
    // Every key ("path") and value ("path|name=text") below a root, sorted;
    // the default value is spelt "path|@=text".
    std::vector<std::wstring> Dump(RegRoot root) const;
    size_t OpenHandles() const { return m_handles.size(); }
    int Calls() const { return m_calls; }
    int Writes() const { return m_writes; }

private:
    struct Node;
    struct Handle {
        RegRoot root;
        std::wstring path;
    };
    Node* Find(RegRoot root, const std::wstring& path) const;
    Node* FindHandle(HKey key) const;
    HKey NewHandle(RegRoot root, const std::wstring& path);
    bool WriteFails();

    std::unique_ptr<Node> m_roots[3];
    std::map<HKey, Handle> m_handles;
    uintptr_t m_nextHandle = 0x1000;
    int m_calls = 0;
    int m_writes = 0;
};

}  // namespace qlry::test
