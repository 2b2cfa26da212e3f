// Without the Win32 API the process's global memory is the heap emulation.
#include "platform/portable/heap_global_memory.h"

namespace qlry {

GlobalMemory& SystemGlobalMemory() {
    static HeapGlobalMemory memory;
    return memory;
}

}  // namespace qlry
