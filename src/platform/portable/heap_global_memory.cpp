#include "platform/portable/heap_global_memory.h"

#include <cstring>
#include <new>

namespace qlry {

struct HeapGlobalMemory::Block {
    size_t size = 0;
    int locks = 0;
    unsigned char* data = nullptr;
};

HeapGlobalMemory::~HeapGlobalMemory() {
    for (Block* block : m_live) {
        delete[] block->data;
        delete block;
    }
}

HeapGlobalMemory::Block* HeapGlobalMemory::Find(HGlobal handle) const {
    auto* block = static_cast<Block*>(handle);
    return m_live.count(block) ? block : nullptr;
}

HGlobal HeapGlobalMemory::Alloc(uint32_t flags, size_t bytes) {
    auto* block = new (std::nothrow) Block;
    if (!block) return nullptr;
    // A zero-byte block still gets storage so that Lock has something to give.
    block->data = new (std::nothrow) unsigned char[bytes ? bytes : 1];
    if (!block->data) {
        delete block;
        return nullptr;
    }
    block->size = bytes;
    std::memset(block->data, (flags & kGmemZeroInit) ? 0 : 0xCD, bytes ? bytes : 1);
    m_live.insert(block);
    return block;
}

void* HeapGlobalMemory::Lock(HGlobal handle) {
    Block* block = Find(handle);
    if (!block) return nullptr;
    ++block->locks;
    return block->data;
}

bool HeapGlobalMemory::Unlock(HGlobal handle) {
    Block* block = Find(handle);
    if (!block || block->locks == 0) return false;
    return --block->locks > 0;
}

size_t HeapGlobalMemory::Size(HGlobal handle) {
    Block* block = Find(handle);
    return block ? block->size : 0;
}

HGlobal HeapGlobalMemory::Free(HGlobal handle) {
    Block* block = Find(handle);
    if (!block) return handle;
    m_live.erase(block);
    delete[] block->data;
    delete block;
    return nullptr;
}

int HeapGlobalMemory::LockCount(HGlobal handle) const {
    Block* block = Find(handle);
    return block ? block->locks : -1;
}

}  // namespace qlry
