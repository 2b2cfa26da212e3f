#pragma once
// How a TIFF page becomes an image: the fields the decoder reads and the
// layout it chooses from them. Internal to the codec's sources.
#include <cstdint>

// The page's fields, with libtiff's defaults where a field is absent.
struct TifFields {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samplesPerPixel = 1;
    uint16_t bitsPerSample = 1;
    uint32_t rowsPerStrip = 0xFFFFFFFF;  // clamped to the height
    uint16_t photometric = 0;
    uint16_t orientation = 1;
    uint16_t planar = 1;       // 1 contiguous, 2 one plane per sample
    uint16_t compression = 1;
    uint16_t firstExtraSample = 0;  // type of the first extra sample (0 unspecified, 1, 2 alpha)
    bool hasExtraSamples = false;
    bool tiled = false;

    // A sample past the colour ones is alpha only when ExtraSamples names
    // it (1 associated, 2 unassociated); absent or 0 it means nothing.
    bool ExtraIsAlpha() const { return hasExtraSamples && firstExtraSample != 0; }
};

enum class TifPath {
    Rgba,     // libtiff's RGBA reader: anything it can convert
    RgbRows,  // 8-bit RGB strips, row by row straight into the image
    Strips,   // bilevel, grey, palette, CIELab and tiled RGB samples from strips or tiles
};

struct TifLayout {
    TifPath path = TifPath::Rgba;
    uint32_t bits = 24;    // image depth
    uint32_t colors = 0;   // palette entries
    bool alpha = false;    // the image gets an alpha plane
    bool lab = false;      // samples are CIELab, converted to RGB
    bool rgb = false;      // samples are 8-bit RGB (tiled pages on the strips path)
    bool unpack = false;   // single samples of 2, 3, 5-7 or 9-15 bits, unpacked to bytes
};

TifLayout ChooseTifLayout(const TifFields& fields);
