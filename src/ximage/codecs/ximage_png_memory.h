#pragma once
// libpng's own blocks pass the image library's allocation gate too.
#include <png.h>

#include <cstdlib>

#include "ximage/toolkit/cx_allocation.h"

inline png_voidp PngAllocate(png_structp, png_alloc_size_t bytes) { return cximage::Allocate(bytes); }
inline void PngFree(png_structp, png_voidp block) { std::free(block); }
