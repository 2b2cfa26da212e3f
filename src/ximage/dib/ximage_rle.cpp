#include "ximage/dib/ximage_rle.h"

#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage_iterator.h"

namespace cximage {

int StreamRleSource::Next() { return m_stream ? m_stream->GetC() : -1; }

namespace {

// Places pixels at a column of the current row, 8 or 4 bits each, dropping
// those outside the image.
class RleWriter {
public:
    RleWriter(CxImage& image, bool nibbles)
        : m_iterator(&image), m_width(image.GetWidth()), m_height(image.GetHeight()), m_nibbles(nibbles) {}

    bool AboveTop() const { return y >= m_height; }
    void Put(uint8_t value) {
        if (x < m_width && y < m_height) {
            m_iterator.SetRow(y);
            uint8_t* row = m_iterator.GetRowPointer();
            if (!m_nibbles) {
                row[x] = value;
            } else {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                            : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
            }
        }
        ++x;
    }

    int64_t x = 0;  // pixel column
    int64_t y = 0;  // row, from the bottom

private:
    CxImageIterator m_iterator;
    int64_t m_width;
    int64_t m_height;
    bool m_nibbles;
};

// Both codings share the escapes: 0 0 end of line, 0 1 end of bitmap,
// 0 2 dx dy move, 0 n (n >= 3) n literal pixels padded to a 16-bit boundary.
void DecodeRle(CxImage& image, RleSource& source, bool nibbles) {
    RleWriter out(image, nibbles);
    for (;;) {
        const int count = source.Next();
        const int value = source.Next();
        if (count < 0 || value < 0) return;
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                const int pixel = !nibbles ? value : (i & 1) ? (value & 0x0F) : (value >> 4);
                out.Put(static_cast<uint8_t>(pixel));
            }
            continue;
        }
        if (value == 0) {
            out.x = 0;
            ++out.y;
            if (out.AboveTop()) return;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            const int dx = source.Next();
            const int dy = source.Next();
            if (dx < 0 || dy < 0) return;
            out.x += dx;
            out.y += dy;
            if (out.AboveTop()) return;
        } else {
            const int bytes = nibbles ? (value + 1) / 2 : value;
            int b = 0;
            for (int i = 0; i < value; ++i) {
                if (!nibbles || (i & 1) == 0) {
                    b = source.Next();
                    if (b < 0) return;
                }
                const int pixel = !nibbles ? b : (i & 1) ? (b & 0x0F) : (b >> 4);
                out.Put(static_cast<uint8_t>(pixel));
            }
            if (bytes & 1) source.Next();
        }
    }
}

}  // namespace

void DecodeRle8(CxImage& image, RleSource& source) {
    if (image.IsValid()) DecodeRle(image, source, false);
}

void DecodeRle4(CxImage& image, RleSource& source) {
    if (image.IsValid()) DecodeRle(image, source, true);
}

}  // namespace cximage
