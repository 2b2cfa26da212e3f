#pragma once
// CxImageJAS: one codec class for five formats: JP2 files (11), JPEG-2000
// code streams (12), PGX (13), PNM (14) and Sun raster (15).
//
// JP2 and code streams go through OpenJPEG; PGX, PNM (P1-P6) and Sun raster
// are read and written by our own small codecs. Decoding recognises the
// format from the data, in this order: PNM, Sun raster, JP2, code stream,
// PGX; the format argument only becomes the new image's format id (with 0,
// the recognised format's id does). BMP and JPEG data are the library's own
// codecs' (they come first in the detection order); no private text format
// is read.
//
// A picture of three equal colour components (or a colour JPEG-2000 picture
// with subsampled or YCC components, which are upsampled and converted)
// becomes a 24-bit image, red from component 0. Any other picture is a set
// of grey frames: numFrames = its component count, frame picks the one to
// show with the grey palette. Samples of every precision are scaled to 8
// bits (signed ones through their offset); unsigned 1- and 4-bit samples
// keep their depth.
//
// Encoding writes one 8-bit component for a grey-palette image and three
// for the rest; quality sets the rate (quality x 0.01 of the uncompressed
// size, see ximage_jas_openjpeg.cpp).
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;

class CxImageJAS : public CxImage {
public:
    CxImageJAS() : CxImage(CXIMAGE_FORMAT_UNKNOWN) {}
    bool Decode(CxStream* stream, uint32_t imagetype);
    bool Encode(CxStream* stream, uint32_t imagetype);
};
