#pragma once
// An in-memory clipboard that owns the blocks handed to it, as the real one
// does, and whose steps can be made to fail.
#include <map>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace qlry::test {

class FakeClipboard : public Clipboard {
public:
    explicit FakeClipboard(GlobalMemory& memory) : m_memory(memory) {}
    ~FakeClipboard() override { FreeAll(); }

    bool failOpen = false;   // another program holds the clipboard
    bool failEmpty = false;
    bool failSet = false;
    bool failRegister = false;  // RegisterClipboardFormatW gives 0
    uint32_t refuseFormat = 0;  // SetClipboardData refuses this one format

    bool Open() override;
    bool Empty() override;
    HGlobal GetData(uint32_t format) override;
    HGlobal SetData(uint32_t format, HGlobal block) override;
    bool Close() override;
    uint32_t RegisterFormat(const wchar_t* name) override;
    bool IsFormatAvailable(uint32_t format) override { return Has(format); }

    // Test-side access, without opening.
    void Put(uint32_t format, HGlobal block);
    void Remove(uint32_t format);  // frees the block
    void PutText(const std::u16string& text);  // CF_UNICODETEXT with its NUL
    bool Has(uint32_t format) const { return m_data.count(format) != 0; }
    std::u16string Text();  // CF_UNICODETEXT up to its NUL, empty when absent
    HGlobal Block(uint32_t format) const;
    bool IsOpen() const { return m_open; }
    int OpenCount() const { return m_opens; }
    int EmptyCount() const { return m_empties; }
    // How often GetClipboardData asked for a format: a delayed rendering
    // would have run each time.
    int GetCount(uint32_t format) const;
    // The formats SetClipboardData accepted, in order.
    const std::vector<uint32_t>& SetOrder() const { return m_setOrder; }
    // The registered number of a name, registering it as the system would.
    uint32_t Registered(const std::wstring& name) { return RegisterFormat(name.c_str()); }

private:
    void FreeAll();

    GlobalMemory& m_memory;
    std::map<uint32_t, HGlobal> m_data;
    std::map<uint32_t, int> m_gets;
    std::vector<uint32_t> m_setOrder;
    std::map<std::wstring, uint32_t> m_names;  // upper-cased: names match regardless of case
    bool m_open = false;
    int m_opens = 0;
    int m_empties = 0;
};

}  // namespace qlry::test
