#pragma once
// CxImageIterator: a row walker over an image's pixel rows.
#include <cstdint>

#include "ximage/ximage.h"

// Walks the pixel rows of an image for decoders that fill them row by row.
class CxImageIterator {
public:
    CxImageIterator() = default;
    explicit CxImageIterator(CxImage* image) { Attach(image); }
    void Attach(CxImage* image);
    // Moves to row y (0 = bottom) when 0 <= y < height; any other y changes nothing.
    void SetRow(int64_t y);
    int64_t GetRow() const { return m_row; }
    uint8_t* GetRowPointer() const { return m_rowPointer; }

private:
    CxImage* m_image = nullptr;
    int64_t m_row = 0;
    uint8_t* m_rowPointer = nullptr;
};
