// Clipboard bitmap blocks of arbitrary bytes: the import must stay inside the
// block (it has exactly the input's size), and whatever imports must export
// and import again to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/portable/heap_global_memory.h"
#include "fuzz_check.h"
#include "ximage/ximage.h"

namespace {

constexpr uint64_t kMaxPixels = uint64_t{1} << 22;

uint64_t ClaimedPixels(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    const uint32_t header = data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t{data[3]} << 24);
    if (header == 12) return uint64_t{uint32_t(data[4] | (data[5] << 8))} * uint32_t(data[6] | (data[7] << 8));
    const int64_t width = int32_t(data[4] | (data[5] << 8) | (data[6] << 16) | (uint32_t{data[7]} << 24));
    const int64_t height = int32_t(data[8] | (data[9] << 8) | (data[10] << 16) | (uint32_t{data[11]} << 24));
    return static_cast<uint64_t>((width < 0 ? -width : width)) * static_cast<uint64_t>(height < 0 ? -height : height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22) || ClaimedPixels(data, size) > kMaxPixels) return 0;
    qlry::HeapGlobalMemory memory;
    qlry::UniqueGlobal block(memory, memory.Alloc(qlry::kGmemMoveable, size));
    {
        qlry::GlobalLockGuard lock(memory, block.get());
        if (size) std::memcpy(lock.get(), data, size);
    }
    CxImage image;
    const bool imported = image.ImportDibHandle(block.get(), memory);
    Check(memory.LockCount(block.get()) == 0);
    if (!imported) {
        Check(!image.IsValid());
        return 0;
    }
    qlry::UniqueGlobal exported(memory, image.ExportDibHandle(memory));
    Check(static_cast<bool>(exported));
    CxImage again;
    Check(again.ImportDibHandle(exported.get(), memory));
    Check(again.GetSize() == image.GetSize());
    Check(std::memcmp(again.GetDib() + 40, image.GetDib() + 40, image.GetSize() - 40) == 0);
    return 0;
}
