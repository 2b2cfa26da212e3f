#pragma once
// Global memory blocks, shaped after GlobalAlloc / GlobalLock / GlobalUnlock /
// GlobalSize / GlobalFree. The clipboard hands such blocks between programs.
#include <cstddef>
#include <cstdint>

namespace qlry {

using HGlobal = void*;

inline constexpr uint32_t kGmemMoveable = 0x0002;
inline constexpr uint32_t kGmemZeroInit = 0x0040;
inline constexpr uint32_t kGmemDdeShare = 0x2000;

class GlobalMemory {
public:
    virtual ~GlobalMemory() = default;
    virtual HGlobal Alloc(uint32_t flags, size_t bytes) = 0;  // null on failure
    virtual void* Lock(HGlobal block) = 0;                    // null on failure
    virtual bool Unlock(HGlobal block) = 0;                   // true while still locked
    virtual size_t Size(HGlobal block) = 0;                   // 0 for a bad block
    virtual HGlobal Free(HGlobal block) = 0;                  // null on success
};

// The process's real global memory: Win32 on Windows, a heap emulation elsewhere.
GlobalMemory& SystemGlobalMemory();

// Keeps a block locked for one scope.
class GlobalLockGuard {
public:
    GlobalLockGuard(GlobalMemory& memory, HGlobal block)
        : m_memory(memory), m_block(block), m_data(block ? memory.Lock(block) : nullptr) {}
    ~GlobalLockGuard() { if (m_data) m_memory.Unlock(m_block); }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* get() const { return m_data; }
    explicit operator bool() const { return m_data != nullptr; }

private:
    GlobalMemory& m_memory;
    HGlobal m_block;
    void* m_data;
};

// Owns a block until it is released (for instance to the clipboard).
class UniqueGlobal {
public:
    UniqueGlobal(GlobalMemory& memory, HGlobal block) : m_memory(memory), m_block(block) {}
    ~UniqueGlobal() { if (m_block) m_memory.Free(m_block); }
    UniqueGlobal(const UniqueGlobal&) = delete;
    UniqueGlobal& operator=(const UniqueGlobal&) = delete;

    HGlobal get() const { return m_block; }
    HGlobal release() { HGlobal block = m_block; m_block = nullptr; return block; }
    explicit operator bool() const { return m_block != nullptr; }

private:
    GlobalMemory& m_memory;
    HGlobal m_block;
};

}  // namespace qlry
