#pragma once
// Global memory emulated on the heap, for builds without the Win32 API.
// Blocks not asked to be zeroed are filled with 0xCD so that a reader of
// uninitialised bytes shows up in tests.
#include <unordered_set>

#include "platform/global_memory.h"

namespace qlry {

class HeapGlobalMemory : public GlobalMemory {
public:
    ~HeapGlobalMemory() override;
    HGlobal Alloc(uint32_t flags, size_t bytes) override;
    void* Lock(HGlobal block) override;
    bool Unlock(HGlobal block) override;
    size_t Size(HGlobal block) override;
    HGlobal Free(HGlobal block) override;

    size_t LiveBlocks() const { return m_live.size(); }
    int LockCount(HGlobal block) const;

private:
    struct Block;
    Block* Find(HGlobal block) const;
    std::unordered_set<Block*> m_live;
};

}  // namespace qlry
