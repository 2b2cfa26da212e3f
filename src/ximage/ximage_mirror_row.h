#pragma once
// Reversal of one 24-bit pixel row, the inner loop of Mirror.
//
// The row goes through a scratch row of at least 3 x width + kScratchSlack
// bytes and is copied back. On x86 with SSSE3 five pixels move with one
// 16-byte shuffle; elsewhere four pixels at a time in 64-bit words. Without
// scratch memory the pixels are swapped in place, more slowly.
#include <cstddef>
#include <cstdint>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define QLRY_MIRROR_SSSE3 1
#endif

namespace cximage {

inline constexpr size_t kScratchSlack = 16;

void MirrorRow24(uint8_t* row, uint8_t* scratch, uint32_t width);

// The variants, each writing the reversed row into scratch (tests compare them).
void MirrorRow24Words(const uint8_t* row, uint8_t* scratch, uint32_t width);
void MirrorRow24Swap(uint8_t* row, uint32_t width);  // in place
#ifdef QLRY_MIRROR_SSSE3
bool HasSsse3();
void MirrorRow24Ssse3(const uint8_t* row, uint8_t* scratch, uint32_t width);
#endif

}  // namespace cximage
