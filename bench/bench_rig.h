#pragma once
// The services a transfer benchmark runs over: a clipboard in memory, no
// cursor, no profile, and the real files and global memory.
#include <cstdint>
#include <map>
#include <string>

#include "transfer/transfer_services.h"

namespace qlry::bench {

class BenchClipboard : public qlry::Clipboard {
public:
    explicit BenchClipboard(qlry::GlobalMemory& memory) : m_memory(memory) {}
    ~BenchClipboard() override { Clear(); }
    bool Open() override { return true; }
    bool Empty() override { Clear(); return true; }
    qlry::HGlobal GetData(uint32_t format) override { return m_data.count(format) ? m_data[format] : nullptr; }
    qlry::HGlobal SetData(uint32_t format, qlry::HGlobal block) override { return m_data[format] = block; }
    bool Close() override { return true; }
    uint32_t RegisterFormat(const wchar_t*) override { return 0xC000; }
    bool IsFormatAvailable(uint32_t format) override { return m_data.count(format) != 0; }
    size_t Formats() const { return m_data.size(); }

private:
    void Clear() {
        for (auto& entry : m_data) m_memory.Free(entry.second);
        m_data.clear();
    }
    qlry::GlobalMemory& m_memory;
    std::map<uint32_t, qlry::HGlobal> m_data;
};

class NoCursor : public qlry::WaitCursor {
    void Begin() override {}
    void End() override {}
};

class NoProfile : public qlry::Profile {
    int GetInt(const std::wstring&, const std::wstring&, int value) override { return value; }
    std::wstring GetString(const std::wstring&, const std::wstring&, const std::wstring& value) override { return value; }
    bool WriteInt(const std::wstring&, const std::wstring&, int) override { return false; }
    bool WriteString(const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
};

struct Rig {
    BenchClipboard clipboard{qlry::SystemGlobalMemory()};
    NoCursor cursor;
    NoProfile profile;
    qlry::TransferServices services{clipboard, qlry::SystemGlobalMemory(), qlry::SystemFileSystem(), cursor, profile};
};

}  // namespace qlry::bench
