#pragma once
// Red and blue swapped in rows of three-byte pixels (RGB <-> BGR): the one
// pass that most red-first file rows need on their way into the image, so
// it is fast: processors with SSSE3 shuffle four pixels an instruction.
#include <cstddef>
#include <cstdint>

namespace cximage {

// From source to target; source may be target.
void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels);

}  // namespace cximage
