#pragma once
// Fixed-size wide buffers, as the handler keeps them: never overrun.
#include <cstddef>
#include <cwchar>

namespace qlry {

// Copies at most capacity - 1 characters and terminates; returns the count.
inline size_t CopyCut(wchar_t* dest, size_t capacity, const wchar_t* src) {
    if (capacity == 0) return 0;
    size_t n = 0;
    while (n + 1 < capacity && src[n] != 0) {
        dest[n] = src[n];
        ++n;
    }
    dest[n] = 0;
    return n;
}

// Appends the whole of `src`, or nothing (returning false) when the result
// and its terminator would not fit.
inline bool AppendWhole(wchar_t* dest, size_t capacity, const wchar_t* src) {
    size_t used = wcsnlen(dest, capacity);
    size_t add = wcslen(src);
    if (used >= capacity || add >= capacity - used) return false;
    wmemcpy(dest + used, src, add + 1);
    return true;
}

}  // namespace qlry
