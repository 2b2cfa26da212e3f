#pragma once
// Every heap block of the image library (pictures, planes, codec buffers,
// memory streams, and the blocks libpng and libjpeg ask for) is requested
// through this gate, so that a test can refuse the N-th request and prove
// that each refusal ends in a clean failure. Blocks are freed with std::free.
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace cximage {

void* Allocate(size_t bytes);
void* AllocateZeroed(size_t bytes);
void* Reallocate(void* block, size_t bytes);
// False when the request (of `bytes`, where known) is refused; counts one request.
bool AllocationAllowed(size_t bytes = 0);

// new (std::nothrow) through the gate: null when refused or not had.
template <class T, class... Args>
T* NewObject(Args&&... args) {
    return AllocationAllowed(sizeof(T)) ? new (std::nothrow) T(std::forward<Args>(args)...) : nullptr;
}
template <class T>
T* NewArray(size_t count) {
    return AllocationAllowed(sizeof(T) * count) ? new (std::nothrow) T[count] : nullptr;
}

// Test hook, for one thread at a time: the n-th request from now on is
// refused (0: none is; UINT64_MAX: none is, but requests are counted).
// Never armed outside tests.
void RefuseAllocationNumber(uint64_t n);
// Requests counted since the last arming, whether the armed one came, and
// the largest one asked for.
uint64_t AllocationRequests();
bool AllocationRefused();
uint64_t LargestAllocationRequest();

}  // namespace cximage
