#pragma once
// Hand-made GIF files for the codec tests: blocks written field by field and
// LZW data packed from a list of codes, so that a test states exactly which
// codes (and which code widths) the decoder meets.
#include <cstdint>
#include <string>
#include <vector>

#include "ximage/ximage.h"

namespace giftest {

using Bytes = std::vector<uint8_t>;

// Codes packed least significant bit first with the widths a GIF decoder
// uses: size + 1 after a clear code, one more each time the table reaches
// the next power of two (at most 12); the first code after a clear adds no
// entry.
Bytes PackCodes(const std::vector<int>& codes, int minCodeSize);

// Literal codes for the given indices: a clear code first, and again often
// enough that the code width never grows; the end code last.
std::vector<int> LiteralCodes(const std::vector<uint8_t>& indices, int minCodeSize);

// The minimum code size byte, the packed bytes in sub-blocks of at most
// blockSize bytes, and the terminator.
Bytes ImageData(int minCodeSize, const Bytes& packed, size_t blockSize = 255, bool terminator = true);

struct GifWriter {
    Bytes bytes;
    explicit GifWriter(const char* signature = "GIF89a");
    GifWriter& Screen(uint16_t width, uint16_t height, int globalEntries);  // 0: no global table
    GifWriter& Table(int entries, uint32_t seed = 0);                        // entries x RGB, distinct colours
    GifWriter& Control(uint8_t flags, uint16_t delay, uint8_t transIndex);
    GifWriter& Comment(const std::string& text);
    GifWriter& Loop(uint16_t count);
    GifWriter& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, int localEntries = 0,
                     bool interlaced = false);
    GifWriter& Data(const Bytes& data);
    // Image data of literal codes for the indices.
    GifWriter& Pixels(const std::vector<uint8_t>& indices, int minCodeSize = 8);
    GifWriter& Raw(const Bytes& more);
    GifWriter& Trailer();
};

// The colour of table entry i as Table() writes it.
CxRgbQuad TableColor(int i, uint32_t seed = 0);

// Index of pixel (x, y), y counted from the top.
uint8_t IndexAt(const CxImage& image, uint32_t x, uint32_t y);

}  // namespace giftest
