#include "gif_builder.h"

#include <algorithm>

#include "support/byte_builder.h"

namespace giftest {

Bytes PackCodes(const std::vector<int>& codes, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1;
    int next = clear + 2;
    bool afterClear = false;
    Bytes out;
    uint32_t accum = 0;
    int bits = 0;
    for (int code : codes) {
        accum |= static_cast<uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(accum));
            accum >>= 8;
            bits -= 8;
        }
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            afterClear = true;
            continue;
        }
        if (afterClear) {
            afterClear = false;
            continue;
        }
        if (next < 4096) ++next;
        if (next == (1 << width) && width < 12) ++width;
    }
    if (bits > 0) out.push_back(static_cast<uint8_t>(accum));
    return out;
}

std::vector<int> LiteralCodes(const std::vector<uint8_t>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    // Entries added before the width would grow: (2^(size+1)) - (clear + 2),
    // plus the first code after the clear, which adds none.
    const size_t run = static_cast<size_t>((1 << (minCodeSize + 1)) - (clear + 2));
    std::vector<int> codes;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % run == 0) codes.push_back(clear);
        codes.push_back(indices[i]);
    }
    codes.push_back(clear + 1);
    return codes;
}

Bytes ImageData(int minCodeSize, const Bytes& packed, size_t blockSize, bool terminator) {
    Bytes out{static_cast<uint8_t>(minCodeSize)};
    for (size_t i = 0; i < packed.size(); i += blockSize) {
        const size_t n = std::min(blockSize, packed.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<ptrdiff_t>(i),
                   packed.begin() + static_cast<ptrdiff_t>(i + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

namespace {
using qlry::test::Put16;
int TableBits(int entries) {
    int n = 0;
    while ((2 << n) < entries) ++n;
    return n;
}
}  // namespace

CxRgbQuad TableColor(int i, uint32_t seed) {
    CxRgbQuad c;
    c.rgbRed = static_cast<uint8_t>(i * 7 + seed);
    c.rgbGreen = static_cast<uint8_t>(255 - i);
    c.rgbBlue = static_cast<uint8_t>(i * 3 + 1 + seed * 5);
    return c;
}

GifWriter::GifWriter(const char* signature) { bytes.assign(signature, signature + 6); }

GifWriter& GifWriter::Screen(uint16_t width, uint16_t height, int globalEntries) {
    Put16(bytes, width);
    Put16(bytes, height);
    bytes.push_back(globalEntries ? static_cast<uint8_t>(0x80 | TableBits(globalEntries)) : 0);
    bytes.push_back(0);
    bytes.push_back(0);
    if (globalEntries) Table(globalEntries);
    return *this;
}

GifWriter& GifWriter::Table(int entries, uint32_t seed) {
    const int size = 2 << TableBits(entries);
    for (int i = 0; i < size; ++i) {
        const CxRgbQuad c = TableColor(i, seed);
        bytes.insert(bytes.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    return *this;
}

GifWriter& GifWriter::Control(uint8_t flags, uint16_t delay, uint8_t transIndex) {
    bytes.insert(bytes.end(), {0x21, 0xF9, 4, flags});
    Put16(bytes, delay);
    bytes.insert(bytes.end(), {transIndex, 0});
    return *this;
}

GifWriter& GifWriter::Comment(const std::string& text) {
    bytes.insert(bytes.end(), {0x21, 0xFE, static_cast<uint8_t>(text.size())});
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return *this;
}

GifWriter& GifWriter::Loop(uint16_t count) {
    const char* id = "NETSCAPE2.0";
    bytes.insert(bytes.end(), {0x21, 0xFF, 11});
    bytes.insert(bytes.end(), id, id + 11);
    bytes.insert(bytes.end(), {3, 1});
    Put16(bytes, count);
    bytes.push_back(0);
    return *this;
}

GifWriter& GifWriter::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, int localEntries,
                            bool interlaced) {
    bytes.push_back(0x2C);
    Put16(bytes, left);
    Put16(bytes, top);
    Put16(bytes, width);
    Put16(bytes, height);
    bytes.push_back(static_cast<uint8_t>((localEntries ? 0x80 | TableBits(localEntries) : 0) |
                                         (interlaced ? 0x40 : 0)));
    if (localEntries) Table(localEntries, 1);
    return *this;
}

GifWriter& GifWriter::Data(const Bytes& data) { return Raw(data); }

GifWriter& GifWriter::Pixels(const std::vector<uint8_t>& indices, int minCodeSize) {
    return Raw(ImageData(minCodeSize, PackCodes(LiteralCodes(indices, minCodeSize), minCodeSize)));
}

GifWriter& GifWriter::Raw(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

GifWriter& GifWriter::Trailer() {
    bytes.push_back(0x3B);
    return *this;
}

uint8_t IndexAt(const CxImage& image, uint32_t x, uint32_t y) {
    return image.GetPixelIndex(x, static_cast<int64_t>(image.GetHeight()) - 1 - y);
}

}  // namespace giftest
