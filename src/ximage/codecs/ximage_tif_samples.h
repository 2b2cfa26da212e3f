#pragma once
// Sample conversions of the TIFF strips path. Internal to the codec.
#include <cstddef>
#include <cstdint>

// Reduces count 16-bit samples (host order, as libtiff delivers them) to
// their high bytes, in place: byte i of the buffer becomes sample i's.
void TifReduceToHighBytes(uint8_t* samples, size_t count);

// Unpacks count samples of bits (2 to 16) bits each, packed from the most
// significant bit on, from a row of rowBytes bytes into one byte each:
// grey values scaled to 0-255 (with more than 8 bits, their top 8 bits),
// palette indices as they are. Bits beyond the row read as 0.
void TifUnpackSamples(const uint8_t* row, size_t rowBytes, uint32_t bits, size_t count, bool scaleToByte,
                      uint8_t* out);

// Associated alpha to straight colour: each blue, green, red pixel of a row
// divided by its alpha (rounded; a pixel of alpha 0 stays as it is).
void TifStraightenRow(uint8_t* bgr, const uint8_t* alpha, size_t count);

// One CIELab pixel (L 0-255, a and b signed) as sRGB red, green, blue.
struct TifRgb {
    uint8_t red, green, blue;
};
TifRgb TifLabToRgb(uint8_t lightness, int8_t a, int8_t b);

