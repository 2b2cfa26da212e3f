#pragma once
// Heap-backed global memory whose allocations and locks can be made to fail.
#include "platform/portable/heap_global_memory.h"

namespace qlry::test {

class FakeGlobalMemory : public HeapGlobalMemory {
public:
    bool failAlloc = false;
    bool failLock = false;

    HGlobal Alloc(uint32_t flags, size_t bytes) override {
        return failAlloc ? nullptr : HeapGlobalMemory::Alloc(flags, bytes);
    }
    void* Lock(HGlobal block) override { return failLock ? nullptr : HeapGlobalMemory::Lock(block); }
};

}  // namespace qlry::test
