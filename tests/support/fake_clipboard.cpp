#include "support/fake_clipboard.h"

#include <cstring>

#include <gtest/gtest.h>

namespace qlry::test {

bool FakeClipboard::Open() {
    if (failOpen || m_open) return false;
    m_open = true;
    ++m_opens;
    return true;
}

bool FakeClipboard::Empty() {
    EXPECT_TRUE(m_open) << "EmptyClipboard without OpenClipboard";
    if (failEmpty || !m_open) return false;
    FreeAll();
    ++m_empties;
    return true;
}

HGlobal FakeClipboard::GetData(uint32_t format) {
    EXPECT_TRUE(m_open) << "GetClipboardData without OpenClipboard";
    ++m_gets[format];
    return m_open ? Block(format) : nullptr;
}

HGlobal FakeClipboard::SetData(uint32_t format, HGlobal block) {
    EXPECT_TRUE(m_open) << "SetClipboardData without OpenClipboard";
    if (failSet || !m_open || (refuseFormat != 0 && format == refuseFormat)) return nullptr;
    Put(format, block);
    m_setOrder.push_back(format);
    return block;
}

bool FakeClipboard::Close() {
    EXPECT_TRUE(m_open) << "CloseClipboard without OpenClipboard";
    bool was = m_open;
    m_open = false;
    return was;
}

uint32_t FakeClipboard::RegisterFormat(const wchar_t* name) {
    if (failRegister || !name || !*name) return 0;
    std::wstring key;
    for (const wchar_t* c = name; *c; ++c) key.push_back(*c >= L'a' && *c <= L'z' ? *c - L'a' + L'A' : *c);
    auto found = m_names.find(key);
    if (found != m_names.end()) return found->second;
    // Registered formats are numbered from 0xC000 upwards.
    const auto id = static_cast<uint32_t>(0xC000 + m_names.size());
    m_names.emplace(key, id);
    return id;
}

int FakeClipboard::GetCount(uint32_t format) const {
    auto found = m_gets.find(format);
    return found == m_gets.end() ? 0 : found->second;
}

void FakeClipboard::Put(uint32_t format, HGlobal block) {
    auto found = m_data.find(format);
    if (found != m_data.end() && found->second != block) m_memory.Free(found->second);
    m_data[format] = block;
}

void FakeClipboard::Remove(uint32_t format) {
    auto found = m_data.find(format);
    if (found == m_data.end()) return;
    m_memory.Free(found->second);
    m_data.erase(found);
}

void FakeClipboard::PutText(const std::u16string& text) {
    size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGlobal block = m_memory.Alloc(kGmemMoveable, bytes);
    GlobalLockGuard lock(m_memory, block);
    std::memcpy(lock.get(), text.c_str(), bytes);
    Put(kCfUnicodeText, block);
}

std::u16string FakeClipboard::Text() {
    HGlobal block = Block(kCfUnicodeText);
    if (!block) return {};
    size_t units = m_memory.Size(block) / sizeof(char16_t);
    GlobalLockGuard lock(m_memory, block);
    const auto* text = static_cast<const char16_t*>(lock.get());
    std::u16string result;
    for (size_t i = 0; i < units && text[i] != 0; ++i) result.push_back(text[i]);
    return result;
}

HGlobal FakeClipboard::Block(uint32_t format) const {
    auto found = m_data.find(format);
    return found == m_data.end() ? nullptr : found->second;
}

void FakeClipboard::FreeAll() {
    for (auto& [format, block] : m_data) m_memory.Free(block);
    m_data.clear();
}

}  // namespace qlry::test
