// Which path and which image depth a TIFF page gets.
#include "ximage/codecs/ximage_tif_layout.h"

#include <tiff.h>

namespace {

bool IsGreyOrPalette(uint16_t photometric) {
    return photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
           photometric == PHOTOMETRIC_PALETTE;
}

// The sample layouts the strips path reads: one sample of 1 to 16 bits
// (palette indices up to 8), or a sample and an alpha sample of 8 or 16
// bits; CIELab of 8 or 16 bits with 3 or more samples. Everything
// else is left to libtiff's RGBA reader (or to the RGB rows below).
bool StripsCanRead(const TifFields& f) {
    if (f.planar != PLANARCONFIG_CONTIG && f.samplesPerPixel > 1) return false;
    const uint16_t bps = f.bitsPerSample;
    if (f.photometric == PHOTOMETRIC_CIELAB) return f.samplesPerPixel >= 3 && (bps == 8 || bps == 16);
    if (!IsGreyOrPalette(f.photometric)) return false;
    const bool palette = f.photometric == PHOTOMETRIC_PALETTE;
    // Other depths up to 16 bits are unpacked to bytes (palette indices up to 8 bits).
    if (f.samplesPerPixel == 1) return bps >= 1 && (palette ? bps <= 8 : bps <= 16);
    if (f.samplesPerPixel == 2) return bps == 8 || (bps == 16 && !palette);
    return false;
}

}  // namespace

TifLayout ChooseTifLayout(const TifFields& f) {
    TifLayout layout;
    if (StripsCanRead(f)) {
        layout.path = TifPath::Strips;
        if (f.photometric == PHOTOMETRIC_CIELAB) {
            layout.bits = 24;
            layout.lab = true;
            layout.alpha = f.samplesPerPixel == 4 && f.ExtraIsAlpha();
        } else if (f.bitsPerSample == 1) {
            layout.bits = 1;
            layout.colors = 2;
        } else if (f.bitsPerSample == 4) {
            layout.bits = 4;
            layout.colors = 16;
        } else {
            layout.bits = 8;
            layout.colors = 256;
            layout.alpha = f.samplesPerPixel == 2;
            layout.unpack = f.samplesPerPixel == 1 && f.bitsPerSample != 8 && f.bitsPerSample != 16;
        }
        return layout;
    }
    // Tiled 8-bit RGB is copied tile by tile: libtiff's RGBA reader refuses
    // uncompressed tiles when the file is not memory-mapped, as here.
    if (f.photometric == PHOTOMETRIC_RGB && f.bitsPerSample == 8 && f.tiled && f.planar == PLANARCONFIG_CONTIG &&
        (f.samplesPerPixel == 3 || f.samplesPerPixel == 4)) {
        layout.path = TifPath::Strips;
        layout.rgb = true;
        layout.alpha = f.samplesPerPixel == 4 && f.ExtraIsAlpha();
        return layout;
    }
    // Four samples of CMYK are the colour itself; elsewhere the fourth is
    // alpha when ExtraSamples says so.
    layout.alpha = (f.samplesPerPixel == 4 && f.photometric != PHOTOMETRIC_SEPARATED && f.ExtraIsAlpha()) ||
                   (f.samplesPerPixel == 2 && f.bitsPerSample == 8);
    if (f.photometric == PHOTOMETRIC_RGB && f.bitsPerSample == 8 && !f.tiled &&
        (f.samplesPerPixel == 3 || f.samplesPerPixel == 4) &&
        (f.planar == PLANARCONFIG_CONTIG) && f.compression != COMPRESSION_OJPEG)
        layout.path = TifPath::RgbRows;
    return layout;
}
