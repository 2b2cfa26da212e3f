// CxImage: the alpha and selection planes (width x height bytes, row 0 at the bottom).
#include <cstdlib>
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/toolkit/cx_allocation.h"

bool CxImage::AlphaCreate() {
    if (alpha || !dib) return alpha != nullptr;
    const size_t bytes = size_t{GetWidth()} * GetHeight();
    alpha = static_cast<uint8_t*>(cximage::Allocate(bytes));
    if (alpha) std::memset(alpha, 255, bytes);
    return alpha != nullptr;
}

void CxImage::AlphaDelete() {
    std::free(alpha);
    alpha = nullptr;
}

void CxImage::AlphaSet(int64_t x, int64_t y, uint8_t value) {
    if (alpha && IsInside(x, y)) alpha[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] = value;
}

uint8_t CxImage::AlphaGet(int64_t x, int64_t y) const {
    if (!alpha || !IsInside(x, y)) return 0;
    return alpha[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)];
}

void CxImage::SelectionCreate() {
    if (selection || !dib) return;
    selection = static_cast<uint8_t*>(cximage::AllocateZeroed(size_t{GetWidth()} * GetHeight()));
    if (selection) info.selectionBox = {0, static_cast<int32_t>(GetHeight()), static_cast<int32_t>(GetWidth()), 0};
}

void CxImage::SelectionSet(int64_t x, int64_t y, uint8_t value) {
    if (selection && IsInside(x, y))
        selection[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] = value;
}

void CxImage::SelectionDelete() {
    std::free(selection);
    selection = nullptr;
    info.selectionBox = {head.biWidth, 0, 0, head.biHeight};
}

bool CxImage::SelectionIsInside(int64_t x, int64_t y) const {
    if (!IsInside(x, y)) return false;
    if (!selection) return true;
    return selection[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] != 0;
}
