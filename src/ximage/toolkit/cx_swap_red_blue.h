#pragma once
// Rows on their way from a file into the image. Red and blue swapped in
// rows of three-byte pixels (RGB <-> BGR) is the one pass that most
// red-first file rows need, so it is fast: processors with SSSE3 shuffle
// four pixels an instruction. The streaming forms serve pictures larger
// than the caches.
#include <cstddef>
#include <cstdint>

namespace cximage {

// From source to target; source may be target.
void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels);
// The same with stores that bypass the caches, for a target written once
// and not read again soon (rows of a picture larger than the caches):
// ordinary stores would first fetch each line of it from memory. Source
// and target must not overlap.
void SwapRedBlueStreaming(const uint8_t* source, uint8_t* target, size_t pixels);
// memcpy with such stores; the same conditions.
void CopyStreaming(const uint8_t* source, uint8_t* target, size_t bytes);

}  // namespace cximage
