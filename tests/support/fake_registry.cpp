#include "support/fake_registry.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace qlry::test {

namespace {

std::wstring Lower(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

struct CaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return Lower(a) < Lower(b); }
};

std::vector<std::wstring> SplitPath(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t next = path.find(L'\\', at);
        if (next == std::wstring::npos) next = path.size();
        if (next > at) parts.push_back(path.substr(at, next - at));
        at = next + 1;
    }
    return parts;
}

std::wstring TextOf(const std::vector<uint8_t>& data) {
    std::wstring text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

}  // namespace

struct FakeRegistry::Node {
    struct Value {
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    std::map<std::wstring, std::unique_ptr<Node>, CaseLess> children;
    std::map<std::wstring, Value, CaseLess> values;
};

FakeRegistry::FakeRegistry() {
    for (auto& root : m_roots) root = std::make_unique<Node>();
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::Clear() {
    for (auto& root : m_roots) root = std::make_unique<Node>();
}

FakeRegistry::Node* FakeRegistry::Find(RegRoot root, const std::wstring& path) const {
    Node* node = m_roots[static_cast<int>(root)].get();
    for (const std::wstring& part : SplitPath(path)) {
        auto found = node->children.find(part);
        if (found == node->children.end()) return nullptr;
        node = found->second.get();
    }
    return node;
}

FakeRegistry::Node* FakeRegistry::FindHandle(HKey key) const {
    auto found = m_handles.find(key);
    if (found == m_handles.end()) return nullptr;
    return Find(found->second.root, found->second.path);
}

HKey FakeRegistry::NewHandle(RegRoot root, const std::wstring& path) {
    HKey key = reinterpret_cast<HKey>(m_nextHandle++);
    m_handles[key] = {root, path};
    return key;
}

bool FakeRegistry::WriteFails() {
    ++m_writes;
    return denyWrites || m_writes == failWriteNumber;
}

long FakeRegistry::OpenKey(RegRoot root, const std::wstring& subKey, uint32_t, HKey& key) {
    ++m_calls;
    key = nullptr;
    if (!Find(root, subKey)) return kErrorFileNotFound;
    key = NewHandle(root, subKey);
    return kErrorSuccess;
}

long FakeRegistry::CreateKey(RegRoot root, const std::wstring& subKey, HKey& key) {
    ++m_calls;
    key = nullptr;
    if (WriteFails()) return kErrorAccessDenied;
    PutKey(root, subKey);
    key = NewHandle(root, subKey);
    return kErrorSuccess;
}

long FakeRegistry::QueryValue(HKey key, const std::wstring& name, uint32_t& type, void* data, uint32_t& bytes) {
    ++m_calls;
    Node* node = FindHandle(key);
    if (!node) return kErrorKeyDeleted;
    auto found = node->values.find(name);
    if (found == node->values.end()) return kErrorFileNotFound;
    const auto& value = found->second;
    type = value.type;
    uint32_t size = static_cast<uint32_t>(value.data.size());
    if (!data) {
        bytes = size;
        return kErrorSuccess;
    }
    if (bytes < size) {
        bytes = size;
        return kErrorMoreData;
    }
    if (size) std::memcpy(data, value.data.data(), size);
    bytes = size;
    return kErrorSuccess;
}

long FakeRegistry::SetValue(HKey key, const std::wstring& name, uint32_t type, const void* data, uint32_t bytes) {
    ++m_calls;
    Node* node = FindHandle(key);
    if (!node) return kErrorKeyDeleted;
    if (WriteFails()) return kErrorAccessDenied;
    const auto* begin = static_cast<const uint8_t*>(data);
    node->values[name] = {type, std::vector<uint8_t>(begin, begin + bytes)};
    return kErrorSuccess;
}

long FakeRegistry::DeleteValue(HKey key, const std::wstring& name) {
    ++m_calls;
    Node* node = FindHandle(key);
    if (!node) return kErrorKeyDeleted;
    if (WriteFails()) return kErrorAccessDenied;
    return node->values.erase(name) ? kErrorSuccess : kErrorFileNotFound;
}

long FakeRegistry::QueryInfoKey(HKey key, uint32_t& subKeys, uint32_t& values) {
    ++m_calls;
    Node* node = FindHandle(key);
    if (!node) return kErrorKeyDeleted;
    subKeys = static_cast<uint32_t>(node->children.size());
    values = static_cast<uint32_t>(node->values.size());
    return kErrorSuccess;
}

long FakeRegistry::DeleteKey(RegRoot root, const std::wstring& subKey) {
    ++m_calls;
    std::vector<std::wstring> parts = SplitPath(subKey);
    if (parts.empty()) return kErrorAccessDenied;
    Node* node = Find(root, subKey);
    if (!node) return kErrorFileNotFound;
    if (WriteFails() || !node->children.empty()) return kErrorAccessDenied;
    std::wstring leaf = parts.back();
    parts.pop_back();
    std::wstring parent;
    for (const auto& part : parts) parent += (parent.empty() ? L"" : L"\\") + part;
    Find(root, parent)->children.erase(leaf);
    return kErrorSuccess;
}

long FakeRegistry::DeleteTree(RegRoot root, const std::wstring& subKey) {
    ++m_calls;
    std::vector<std::wstring> parts = SplitPath(subKey);
    if (parts.empty()) return kErrorAccessDenied;
    if (!Find(root, subKey)) return kErrorFileNotFound;
    if (WriteFails()) return kErrorAccessDenied;
    std::wstring leaf = parts.back();
    parts.pop_back();
    std::wstring parent;
    for (const auto& part : parts) parent += (parent.empty() ? L"" : L"\\") + part;
    Find(root, parent)->children.erase(leaf);
    return kErrorSuccess;
}

long FakeRegistry::CloseKey(HKey key) {
    ++m_calls;
    return m_handles.erase(key) ? kErrorSuccess : 6;  // ERROR_INVALID_HANDLE
}

void FakeRegistry::PutKey(RegRoot root, const std::wstring& path) {
    Node* node = m_roots[static_cast<int>(root)].get();
    for (const std::wstring& part : SplitPath(path)) {
        auto& child = node->children[part];
        if (!child) child = std::make_unique<Node>();
        node = child.get();
    }
}

void FakeRegistry::PutRaw(RegRoot root, const std::wstring& path, const std::wstring& name, uint32_t type,
                          std::vector<uint8_t> data) {
    PutKey(root, path);
    Find(root, path)->values[name] = {type, std::move(data)};
}

void FakeRegistry::PutString(RegRoot root, const std::wstring& path, const std::wstring& name,
                             const std::wstring& text, uint32_t type) {
    std::vector<uint8_t> data;
    for (wchar_t c : text) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    data.push_back(0);
    data.push_back(0);
    PutRaw(root, path, name, type, std::move(data));
}

bool FakeRegistry::HasKey(RegRoot root, const std::wstring& path) const { return Find(root, path) != nullptr; }

std::optional<std::wstring> FakeRegistry::GetString(RegRoot root, const std::wstring& path,
                                                    const std::wstring& name) const {
    Node* node = Find(root, path);
    if (!node) return std::nullopt;
    auto found = node->values.find(name);
    if (found == node->values.end()) return std::nullopt;
    return TextOf(found->second.data);
}

std::vector<std::wstring> FakeRegistry::Dump(RegRoot root) const {
    std::vector<std::wstring> lines;
    struct Walker {
        std::vector<std::wstring>& lines;
        void Walk(const Node& node, const std::wstring& path) {
            for (const auto& [name, value] : node.values)
                lines.push_back(path + L"|" + (name.empty() ? L"@" : name) + L"=" + TextOf(value.data));
            for (const auto& [name, child] : node.children) {
                std::wstring childPath = path.empty() ? name : path + L"\\" + name;
                lines.push_back(childPath);
                Walk(*child, childPath);
            }
        }
    } walker{lines};
    walker.Walk(*m_roots[static_cast<int>(root)], L"");
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace qlry::test
