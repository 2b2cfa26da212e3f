#pragma once
// CxBuffer: a zero-filled heap buffer freed on scope exit, for codec scratch
// rows and tables. Its size is checked against the memory cap before it is
// allocated; a refused or failed allocation leaves data() null. No exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_allocation.h"

class CxBuffer {
public:
    CxBuffer() = default;
    explicit CxBuffer(uint64_t bytes) { Allocate(bytes); }
    ~CxBuffer() { std::free(data_); }
    CxBuffer(const CxBuffer&) = delete;
    CxBuffer& operator=(const CxBuffer&) = delete;

    // A new zeroed buffer (the old one is freed); false when refused.
    bool Allocate(uint64_t bytes) {
        std::free(data_);
        data_ = nullptr;
        size_ = 0;
        if (!cximage::FitsMemoryCap(bytes)) return false;
        data_ = static_cast<uint8_t*>(cximage::AllocateZeroed(bytes ? static_cast<size_t>(bytes) : 1));
        if (data_) size_ = static_cast<size_t>(bytes);
        return data_ != nullptr;
    }

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
