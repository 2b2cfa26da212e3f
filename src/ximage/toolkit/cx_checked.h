#pragma once
// Size arithmetic for codecs: every size taken from a file is combined in
// 64 bits through these helpers, so that an overflow is a refusal and never
// a small number that passes a check.
#include <cstdint>
#include <initializer_list>

// Largest image accepted by Create, in bytes of pixel rows (and in pixels, so
// that any plane of width x height bytes attached later fits too). Checked in
// 64-bit arithmetic before anything is allocated; every buffer a codec sizes
// from its input stays below it too.
inline constexpr uint64_t CXIMAGE_MAX_MEMORY = 256000000;

namespace cximage {

// a * b and a + b; false when the result does not fit in 64 bits.
inline bool CheckedMul(uint64_t a, uint64_t b, uint64_t& out) { return !__builtin_mul_overflow(a, b, &out); }
inline bool CheckedAdd(uint64_t a, uint64_t b, uint64_t& out) { return !__builtin_add_overflow(a, b, &out); }

// The product of all factors; false on overflow or when it exceeds limit.
inline bool ProductWithin(std::initializer_list<uint64_t> factors, uint64_t limit, uint64_t& out) {
    uint64_t product = 1;
    for (const uint64_t f : factors)
        if (!CheckedMul(product, f, product)) return false;
    out = product;
    return product <= limit;
}

// True when a buffer of this many bytes is within the image library's cap.
inline bool FitsMemoryCap(uint64_t bytes) { return bytes <= CXIMAGE_MAX_MEMORY; }

// Little-endian and big-endian fields from bytes (never by casting a struct).
inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
inline uint16_t LoadU16BE(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t LoadU32BE(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreU16BE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void StoreU32BE(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

}  // namespace cximage
