#pragma once
// CxImageTIF: TIFF files through libtiff, opened over the codec's byte stream.
//
// Decoding reads page `frame` (numFrames tells how many there are). Bilevel,
// grey and palette pages become 1, 4 or 8-bit images with their palette
// (16-bit samples by their high byte, other depths up to 16 bits unpacked,
// a second sample as the alpha plane); CIELab pages become 24 bits; 8-bit
// RGB is read row by row (strips) or tile by tile; everything else (YCbCr,
// CMYK, LogLuv, 16-bit RGB...) goes through libtiff's RGBA reader, a band of
// strips at a time. Every orientation comes out upright. The
// resolution (centimetres converted to inches) and the position are kept,
// and the compression goes into the codec option of CXIMAGE_FORMAT_TIF, so
// that saving the same image again keeps it. With escape -1 only the
// dimensions are filled in ("output dimensions returned").
//
// Encoding writes one page: 1 bit as MinIsWhite with CCITT G4, 4 and 8 bits
// as MinIsBlack (the grey ramp) or Palette with LZW and, from 8 bits, the
// horizontal predictor, 24 bits as RGB with JPEG at the image's quality; an
// alpha plane adds an unassociated alpha sample. A nonzero codec option
// chooses the compression instead, when it can encode the image's depth.
// Saving never changes the image.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;
struct tiff;
struct TifFields;
struct TifLayout;

class CxImageTIF : public CxImage {
public:
    CxImageTIF() : CxImage(CXIMAGE_FORMAT_TIF) {}
    bool Decode(CxStream* stream);
    // Writes one complete single-page file.
    bool Encode(CxStream* stream);

private:
    bool DecodePage(tiff* tif);
    void ReadResolution(tiff* tif);
    bool ReadRgbaRaster(tiff* tif, const TifFields& fields);
    bool ReadRgbRows(tiff* tif, const TifFields& fields);
    bool ReadStrips(tiff* tif, const TifFields& fields, const TifLayout& layout);
    bool BuildPalette(tiff* tif, const TifFields& fields, const TifLayout& layout);
    bool StoreRow(uint8_t* source, uint64_t sourceBytes, uint32_t pictureRow, const TifFields& fields,
                  const TifLayout& layout);
    bool TurnUpright(uint16_t orientation);
    bool WritePage(tiff* tif);

    tiff* encodeHandle = nullptr;  // the libtiff handle of an encode in progress (owned by its session)
};
