#pragma once
// The clipboard's CF_DIBV5 block: a picture with its transparency, for the
// programs that read alpha from the clipboard. CF_DIB (ExportDibHandle)
// stays the image's own block; this one is made beside it.
#include <cstdint>

#include "platform/global_memory.h"
#include "ximage/ximage.h"

namespace cximage {

inline constexpr uint32_t kDibV5HeaderSize = 124;
inline constexpr uint32_t kLcsSRgb = 0x73524742;   // 'sRGB'
inline constexpr uint32_t kLcsGmImages = 4;        // perceptual rendering intent

// True when the picture is not plainly opaque: it has an alpha plane, a
// transparent palette index or colour, or alpha in its palette.
bool HasTransparency(const CxImage& image);

// A new movable global block, owned by the caller: a 124-byte version 5
// header, 32 bits per pixel with BI_BITFIELDS masks (red 0xFF0000, green
// 0xFF00, blue 0xFF, alpha 0xFF000000), straight (not premultiplied) alpha,
// bottom-up rows, sRGB. A pixel's alpha is what the PNG encoder writes for
// it: the alpha plane scaled by alphaMax, 0 for the transparent index or
// colour, the palette's alpha where the palette carries it, else 255.
// Null for an empty image, a block above CXIMAGE_MAX_MEMORY, or a failed
// allocation.
qlry::HGlobal ExportDibV5Handle(const CxImage& image, qlry::GlobalMemory& memory);

}  // namespace cximage
