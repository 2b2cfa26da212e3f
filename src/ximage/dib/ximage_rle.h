#pragma once
// Run-length decoding of 8-bit (RLE8) and 4-bit (RLE4) bitmap data into an
// image's pixel rows. Rows count from the bottom as in the file. Whatever the
// input, writes stay inside the image: pixels beyond the width are dropped and
// decoding ends when a row above the top is reached or the input runs out.
#include <cstddef>
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

namespace cximage {

// The next byte of the compressed data, or -1 at its end.
class RleSource {
public:
    virtual ~RleSource() = default;
    virtual int Next() = 0;
};

class MemoryRleSource : public RleSource {
public:
    MemoryRleSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int Next() override { return m_position < m_size ? m_data[m_position++] : -1; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

class StreamRleSource : public RleSource {
public:
    explicit StreamRleSource(CxStream* stream) : m_stream(stream) {}
    int Next() override;

private:
    CxStream* m_stream;
};

void DecodeRle8(CxImage& image, RleSource& source);
void DecodeRle4(CxImage& image, RleSource& source);

}  // namespace cximage
