#pragma once
// CxByteView: a bounded cursor over bytes in memory. It knows how many bytes
// remain, so a header is checked against the data with one comparison before
// anything is allocated, and no read can pass the end: a short read fails
// and leaves the cursor where it was.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_checked.h"

class CxByteView {
public:
    CxByteView() = default;
    CxByteView(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    size_t Size() const { return size_; }
    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }
    bool Has(uint64_t bytes) const { return bytes <= Remaining(); }
    bool AtEnd() const { return position_ == size_; }
    const uint8_t* Data() const { return data_; }

    // Moves to an absolute position; false (unmoved) past the end.
    bool Seek(uint64_t position) {
        if (position > size_) return false;
        position_ = static_cast<size_t>(position);
        return true;
    }
    bool Skip(uint64_t bytes) {
        if (!Has(bytes)) return false;
        position_ += static_cast<size_t>(bytes);
        return true;
    }
    // A pointer to the next bytes and past them; null (unmoved) when fewer remain.
    const uint8_t* Take(uint64_t bytes) {
        if (!Has(bytes)) return nullptr;
        const uint8_t* p = data_ + position_;
        position_ += static_cast<size_t>(bytes);
        return p;
    }
    bool Read(void* out, size_t bytes) {
        const uint8_t* p = Take(bytes);
        if (p && bytes) std::memcpy(out, p, bytes);
        return p != nullptr;
    }
    // The next byte, or -1 at the end.
    int GetByte() { return position_ < size_ ? data_[position_++] : -1; }

    bool U8(uint8_t& v) { return Field(1, v, [](const uint8_t* p) { return p[0]; }); }
    bool U16(uint16_t& v) { return Field(2, v, cximage::LoadU16); }
    bool U32(uint32_t& v) { return Field(4, v, cximage::LoadU32); }
    bool U16BE(uint16_t& v) { return Field(2, v, cximage::LoadU16BE); }
    bool U32BE(uint32_t& v) { return Field(4, v, cximage::LoadU32BE); }

    // The bytes [offset, offset + length) as a view of their own; an empty
    // view when they are not all inside this one.
    CxByteView Slice(uint64_t offset, uint64_t length) const {
        if (offset > size_ || length > size_ - offset) return {};
        return CxByteView(data_ + offset, static_cast<size_t>(length));
    }

private:
    template <class T, class Load>
    bool Field(size_t bytes, T& v, Load load) {
        const uint8_t* p = Take(bytes);
        if (!p) return false;
        v = static_cast<T>(load(p));
        return true;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
};
