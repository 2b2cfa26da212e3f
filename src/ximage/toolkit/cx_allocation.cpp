#include "ximage/toolkit/cx_allocation.h"

#include <cstdlib>

namespace cximage {
namespace {
uint64_t refuseAt = 0;  // 0: the gate is open and counts nothing
uint64_t requests = 0;
uint64_t largest = 0;
}  // namespace

bool AllocationAllowed(size_t bytes) {
    if (refuseAt == 0) return true;
    if (bytes > largest) largest = bytes;
    return ++requests != refuseAt;
}

void* Allocate(size_t bytes) { return AllocationAllowed(bytes) ? std::malloc(bytes) : nullptr; }
void* AllocateZeroed(size_t bytes) { return AllocationAllowed(bytes) ? std::calloc(bytes, 1) : nullptr; }
void* Reallocate(void* block, size_t bytes) { return AllocationAllowed(bytes) ? std::realloc(block, bytes) : nullptr; }

void RefuseAllocationNumber(uint64_t n) {
    refuseAt = n;
    requests = 0;
    largest = 0;
}
uint64_t AllocationRequests() { return requests; }
uint64_t LargestAllocationRequest() { return largest; }
bool AllocationRefused() { return refuseAt != 0 && requests >= refuseAt; }

}  // namespace cximage
