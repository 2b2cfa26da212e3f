// Reading TIFF pages: directory selection, fields, resolution and the choice
// of path (the paths are in ximage_tif_rgba.cpp and ximage_tif_strips.cpp).
#include <cmath>
#include <cstdint>

#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/codecs/ximage_tif_layout.h"
#include "ximage/codecs/ximage_tif_samples.h"

namespace {

TifFields ReadFields(TIFF* tif) {
    TifFields f;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &f.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &f.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &f.samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &f.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &f.rowsPerStrip);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &f.photometric)) f.photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &f.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &f.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &f.compression);
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0 && extraTypes) {
        f.hasExtraSamples = true;
        f.firstExtraSample = extraTypes[0];
    }
    f.tiled = TIFFIsTiled(tif) != 0;
    return f;
}

// A resolution or position as a whole number that SetXDpi and the offsets
// can hold (a file may carry any float, also NaN).
int32_t Truncated(double value) {
    if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
    if (value >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(value);
}

}  // namespace

bool CxImageTIF::Decode(CxStream* stream) {
    TifSession session(stream, "rb");
    if (!session) return Fail("Error encountered while opening TIFF file");
    return DecodePage(session.get());
}

bool CxImageTIF::DecodePage(TIFF* tif) {
    const tdir_t pages = TIFFNumberOfDirectories(tif);
    info.numFrames = pages > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pages);
    if (info.frame < 0 || !TIFFSetDirectory(tif, static_cast<tdir_t>(info.frame)))
        return Fail("Error: page not present in TIFF file");

    TifFields fields = ReadFields(tif);
    if (info.escape == -1) {
        head.biWidth = static_cast<int32_t>(fields.width);
        head.biHeight = static_cast<int32_t>(fields.height);
        SetLastErrorText("output dimensions returned");
        return true;
    }
    ReadResolution(tif);
    info.transIndex = -1;
    if (fields.rowsPerStrip > fields.height) fields.rowsPerStrip = fields.height;

    const TifLayout layout = ChooseTifLayout(fields);
    if (info.escape) return Fail("Cancelled");
    if (!Create(fields.width, fields.height, layout.bits, CXIMAGE_FORMAT_TIF))
        return Fail("CxImageTIF can't create image");
    if (layout.alpha && !AlphaCreate()) return Fail("CxImageTIF can't create image");
    SetCodecOption(fields.compression, CXIMAGE_FORMAT_TIF);

    switch (layout.path) {
    case TifPath::Rgba:
        if (!ReadRgbaRaster(tif, fields)) return false;
        break;
    case TifPath::RgbRows:
        if (!ReadRgbRows(tif, fields)) return false;
        break;
    case TifPath::Strips:
        if (!ReadStrips(tif, fields, layout)) return false;
        break;
    }
    // Colour with associated alpha is made straight, as the clipboard's
    // formats carry it and as unassociated alpha already is.
    if (GetBpp() == 24 && AlphaIsValid() && fields.firstExtraSample == EXTRASAMPLE_ASSOCALPHA) {
        for (uint32_t y = 0; y < fields.height; ++y)
            TifStraightenRow(GetBits(y), alpha + uint64_t{y} * fields.width, fields.width);
    }
    if (!TurnUpright(fields.orientation)) return Fail("CxImageTIF can't allocate memory");
    return true;
}

void CxImageTIF::ReadResolution(TIFF* tif) {
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double toInches = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    const double rounding = unit == RESUNIT_CENTIMETER ? 0.5 : 0.0;
    float value = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &value)) SetXDpi(Truncated(value * toInches + rounding));
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &value)) SetYDpi(Truncated(value * toInches + rounding));
    if (TIFFGetField(tif, TIFFTAG_XPOSITION, &value)) info.xOffset = Truncated(value);
    if (TIFFGetField(tif, TIFFTAG_YPOSITION, &value)) info.yOffset = Truncated(value);
}

// Rows were stored as the file holds them (file row 0 at the top); the
// Orientation field says where that row and column belong.
bool CxImageTIF::TurnUpright(uint16_t orientation) {
    switch (orientation) {
    case ORIENTATION_TOPRIGHT:
        return Mirror();
    case ORIENTATION_BOTRIGHT:
        return Flip() && Mirror();
    case ORIENTATION_BOTLEFT:
        return Flip();
    case ORIENTATION_LEFTTOP:
        return RotateRight() && Mirror();
    case ORIENTATION_RIGHTTOP:
        return RotateRight();
    case ORIENTATION_RIGHTBOT:
        return RotateLeft() && Mirror();
    case ORIENTATION_LEFTBOT:
        return RotateLeft();
    default:
        return true;
    }
}
