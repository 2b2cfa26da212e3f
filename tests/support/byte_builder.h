#pragma once
// Little-endian fields appended to and read from the byte vectors that the
// codec tests build their files from.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qlry::test {

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t Get16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

}  // namespace qlry::test
