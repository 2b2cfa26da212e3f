#pragma once
// Runs an operation once with each of its image library allocations refused
// in turn (the 1st, the 2nd, ...), until a run asks for fewer than the one
// to refuse and so ends unhindered.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

namespace qlry::test {

// `run` performs the operation and judges its own outcome; the sweep stops
// at the first run judged wrong. Returns the requests of the unhindered run.
uint64_t SweepAllocations(const std::function<::testing::AssertionResult()>& run);

}  // namespace qlry::test
