#include "ximage/toolkit/cx_mem_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "ximage/toolkit/cx_allocation.h"

CxMemStream::CxMemStream(uint8_t* buffer, int32_t length)
    : buffer(buffer), size(length < 0 ? 0 : length), freeOnClose(buffer == nullptr), position(0),
      capacity(size) {}

bool CxMemStream::Open() { return Open(Growth::Pages); }

bool CxMemStream::Open(Growth how) {
    if (buffer) return false;
    growth = how;
    size = capacity = position = 0;
    growthFailed = false;
    buffer = static_cast<uint8_t*>(cximage::Allocate(1));
    freeOnClose = true;
    return buffer != nullptr;
}

uint8_t* CxMemStream::GetBuffer(bool detach) {
    freeOnClose = !detach;
    return buffer;
}

bool CxMemStream::Close() {
    if (buffer && freeOnClose) {
        std::free(buffer);
        buffer = nullptr;
        size = 0;
    }
    return true;
}

bool CxMemStream::Grow(int64_t needed) {
    if (needed <= capacity) return true;
    int64_t newCapacity = (needed / 4096) * 4096 + 4096;
    if (growth == Growth::Geometric && newCapacity <= INT32_MAX)
        newCapacity = std::max(newCapacity, std::min<int64_t>(int64_t{capacity} * 2, INT32_MAX));
    // A failed growth is remembered, as a file remembers a failed write: the
    // bytes are lost even if later writes succeed.
    if (newCapacity > INT32_MAX) {
        growthFailed = true;
        return false;
    }
    // A block the stream does not own must not be handed to realloc.
    uint8_t* grown;
    if (freeOnClose || !buffer) {
        grown = static_cast<uint8_t*>(cximage::Reallocate(buffer, static_cast<size_t>(newCapacity)));
    } else {
        grown = static_cast<uint8_t*>(cximage::Allocate(static_cast<size_t>(newCapacity)));
        if (grown) std::memcpy(grown, buffer, static_cast<size_t>(capacity));
    }
    if (!grown) {
        growthFailed = true;
        return false;
    }
    buffer = grown;
    capacity = static_cast<int32_t>(newCapacity);
    freeOnClose = true;
    return true;
}

// A write after a seek past the end leaves a gap; it is zeroed so that no
// uninitialised byte can reach a file.
void CxMemStream::ZeroGap() {
    if (position > size) std::memset(buffer + size, 0, static_cast<size_t>(position - size));
}

size_t CxMemStream::Read(void* out, size_t elementSize, size_t count) {
    if (!buffer || !out || position >= size) return 0;
    if (elementSize == 0 || count == 0 || count > SIZE_MAX / elementSize) return 0;
    size_t n = elementSize * count;
    const auto left = static_cast<size_t>(size - position);
    if (n > left) n = left;
    std::memcpy(out, buffer + position, n);
    position += static_cast<int32_t>(n);
    return n / elementSize;
}

size_t CxMemStream::Write(const void* in, size_t elementSize, size_t count) {
    if (!buffer || !in || elementSize == 0 || count == 0) return 0;
    if (count > static_cast<size_t>(INT32_MAX) / elementSize) {
        growthFailed = true;
        return 0;
    }
    const auto n = static_cast<int64_t>(elementSize * count);
    if (!Grow(position + n)) return 0;
    ZeroGap();
    std::memcpy(buffer + position, in, static_cast<size_t>(n));
    position += static_cast<int32_t>(n);
    if (position > size) size = position;
    return count;
}

bool CxMemStream::Seek(int32_t offset, int origin) {
    if (!buffer) return false;
    int64_t target;
    switch (origin) {
    case 0: target = offset; break;
    case 1: target = int64_t{position} + offset; break;
    case 2: target = int64_t{size} + offset; break;
    default: return false;
    }
    if (target < 0) target = 0;
    if (target > INT32_MAX) return false;
    position = static_cast<int32_t>(target);
    return true;
}

int32_t CxMemStream::Tell() { return buffer ? position : -1; }

int32_t CxMemStream::Size() { return buffer ? size : -1; }

bool CxMemStream::Flush() { return buffer != nullptr; }

bool CxMemStream::Eof() { return !buffer || position >= size; }

int32_t CxMemStream::Error() {
    if (!buffer) return -1;
    return position > size || growthFailed ? 1 : 0;
}

bool CxMemStream::PutC(uint8_t c) {
    if (!buffer) return false;
    if (position == INT32_MAX) {
        growthFailed = true;
        return false;
    }
    if (!Grow(int64_t{position} + 1)) return false;
    ZeroGap();
    buffer[position++] = c;
    if (position > size) size = position;
    return true;
}

int32_t CxMemStream::GetC() {
    if (Eof()) return -1;
    return buffer[position++];
}
