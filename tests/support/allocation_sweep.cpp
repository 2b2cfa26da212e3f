#include "support/allocation_sweep.h"

#include "ximage/toolkit/cx_allocation.h"

namespace qlry::test {

uint64_t SweepAllocations(const std::function<::testing::AssertionResult()>& run) {
    for (uint64_t n = 1;; ++n) {
        cximage::RefuseAllocationNumber(n);
        const ::testing::AssertionResult judged = run();
        const bool refused = cximage::AllocationRefused();
        const uint64_t requests = cximage::AllocationRequests();
        cximage::RefuseAllocationNumber(0);
        if (!judged) {
            ADD_FAILURE() << "with allocation " << n << " refused: " << judged.message();
            return requests;
        }
        if (!refused) return requests;
    }
}

}  // namespace qlry::test
