#pragma once
// A property a fuzz target checks: a broken one stops the run where it broke.
#include <cstdlib>

inline void Check(bool condition) {
    if (!condition) std::abort();
}
