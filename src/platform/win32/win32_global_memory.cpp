#include <windows.h>

#include "platform/global_memory.h"

namespace qlry {

namespace {

class Win32GlobalMemory : public GlobalMemory {
public:
    HGlobal Alloc(uint32_t flags, size_t bytes) override { return ::GlobalAlloc(flags, bytes); }
    void* Lock(HGlobal block) override { return ::GlobalLock(block); }
    bool Unlock(HGlobal block) override { return ::GlobalUnlock(block) != FALSE; }
    size_t Size(HGlobal block) override { return ::GlobalSize(block); }
    HGlobal Free(HGlobal block) override { return ::GlobalFree(block); }
};

}  // namespace

GlobalMemory& SystemGlobalMemory() {
    static Win32GlobalMemory memory;
    return memory;
}

}  // namespace qlry
