#pragma once
// Helpers for the JPEG codec tests: pictures to encode, files built in
// memory, segments spliced into them, and libjpeg-made files the codec
// itself cannot write (CMYK).
#include <cstdint>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

// A 24-bit picture of smooth gradients (JPEG keeps them close).
void MakeColourPicture(CxImage& image, uint32_t width, uint32_t height);
// An 8-bit picture with the identity grey palette.
void MakeGreyPicture(CxImage& image, uint32_t width, uint32_t height);

// Mean absolute difference of the colour channels of two same-sized images.
double MeanDifference(const CxImage& a, const CxImage& b);

// The codec helpers every test here uses.
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::MaxDifference;

// The JFIF APP0 segment libjpeg writes right after SOI, patched in place.
void SetJfifDensity(Bytes& jpeg, uint8_t unit, uint16_t x, uint16_t y);
// Inserts a marker segment (marker, then body with its length) after SOI.
void InsertSegment(Bytes& jpeg, uint8_t marker, const Bytes& body);

// The body of an APP1 Exif segment with one directory of entries.
struct ExifEntry {
    uint16_t tag;
    uint16_t format;
    uint32_t count;
    Bytes value;  // values of more than 4 bytes go behind the directory
};
Bytes MakeExifBody(bool motorola, const std::vector<ExifEntry>& entries);
Bytes Rational(bool motorola, uint32_t numerator, uint32_t denominator);
Bytes Short(bool motorola, uint16_t value);

// A four-component (CMYK) JPEG of one colour written with libjpeg directly,
// with the Adobe marker that says the samples are inverted.
Bytes MakeCmykJpeg(uint32_t width, uint32_t height, const uint8_t cmyk[4]);

// libjpeg's own text for a message code, formatted as its error manager would.
std::string LibjpegMessage(int code, int arg0 = 0, int arg1 = 0);

}  // namespace jpegtest
