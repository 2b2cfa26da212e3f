// Writing a TIFF page: tags and compression chosen from the image's depth,
// rows from the top of the picture down, one complete file per call.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_tif_io.h"
#include "ximage/codecs/ximage_tif_samples.h"
#include "ximage/toolkit/cx_swap_red_blue.h"
#include "ximage/toolkit/cx_buffer.h"

namespace {

uint16_t DefaultCompression(uint32_t bits) {
    switch (bits) {
    case 1:
        return COMPRESSION_CCITTFAX4;
    case 4:
    case 8:
        return COMPRESSION_LZW;
    case 24:
        return COMPRESSION_JPEG;
    default:
        return COMPRESSION_NONE;
    }
}

// A compression kept from a loaded file is used again only when it can
// encode this depth; otherwise (old-style JPEG, fax codes for colour, a
// codec libtiff cannot write) the depth's own default is used.
uint16_t ChooseCompression(uint32_t kept, uint32_t bits) {
    switch (kept) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
        return static_cast<uint16_t>(kept);
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        if (bits == 1) return static_cast<uint16_t>(kept);
        break;
    case COMPRESSION_JPEG:
        if (bits == 24) return COMPRESSION_JPEG;
        break;
    default:
        break;
    }
    return DefaultCompression(bits);
}

// True when palette entry i is the grey that MinIsBlack gives value i at
// this depth (i x 17 for 4 bits, i for 8 bits).
bool IsMinIsBlackRamp(const CxRgbQuad* palette, uint32_t count) {
    const uint32_t step = 255 / (count - 1);
    for (uint32_t i = 0; i < count; ++i) {
        const auto grey = static_cast<uint8_t>(i * step);
        if (palette[i].rgbRed != grey || palette[i].rgbGreen != grey || palette[i].rgbBlue != grey) return false;
    }
    return true;
}

}  // namespace

bool CxImageTIF::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    TifSession session(stream, "a");
    if (!session) return Fail("initialization fail");
    encodeHandle = session.get();
    const bool written = WritePage(encodeHandle) && TIFFFlush(encodeHandle) == 1;
    encodeHandle = nullptr;
    session.Close();  // writes the directory
    if (!written) return Fail("Error saving TIFF file");
    return true;
}

bool CxImageTIF::WritePage(TIFF* tif) {
    const uint32_t width = GetWidth(), height = GetHeight();
    const uint32_t bits = GetBpp();
    const bool colour = bits == 24;
    const bool withAlpha = AlphaIsValid() && (bits == 24 || bits == 8);
    const uint16_t samples = colour ? (withAlpha ? 4 : 3) : (withAlpha ? 2 : 1);
    const uint16_t bitsPerSample = colour || withAlpha ? 8 : static_cast<uint16_t>(bits);

    // Bilevel pages are MinIsWhite: a palette whose entry 0 is the darker
    // one is written swapped, with every bit inverted (in the rows written
    // only; the image keeps its own palette and pixels).
    bool invertBits = false;
    uint16_t photometric = PHOTOMETRIC_RGB;
    if (bits == 1) {
        invertBits = CompareColors(GetPaletteColor(0), GetPaletteColor(1)) < 0;
        photometric = PHOTOMETRIC_MINISWHITE;
    } else if (bits == 4 || bits == 8) {
        photometric = IsMinIsBlackRamp(GetPalette(), GetNumColors()) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    }

    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(GetXDpi()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(GetYDpi()));
    if (withAlpha) {
        // The alpha plane is not premultiplied into the colours.
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
        const CxRgbQuad* palette = GetPalette();
        for (uint32_t i = 0; i < GetNumColors(); ++i) {
            red[i] = static_cast<uint16_t>(palette[i].rgbRed * 65535u / 255);
            green[i] = static_cast<uint16_t>(palette[i].rgbGreen * 65535u / 255);
            blue[i] = static_cast<uint16_t>(palette[i].rgbBlue * 65535u / 255);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
    }

    const uint16_t compression = ChooseCompression(GetCodecOption(CXIMAGE_FORMAT_TIF), bits);
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, compression)) return false;
    uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, static_cast<uint32_t>(-1));
    if (compression == COMPRESSION_LZW && bits >= 8) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, static_cast<int>(GetJpegQuality()));
        rowsPerStrip = (rowsPerStrip + 7) / 8 * 8;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);

    // Rows go through a copy: libtiff's predictor rewrites the row it is given.
    const uint64_t lineBytes = uint64_t{width} * samples * bitsPerSample / 8 + 4;
    CxBuffer line;
    if (!line.Allocate(std::max<uint64_t>(lineBytes, info.rowBytes))) return false;
    uint8_t* out = line.data();
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t imageRow = height - 1 - y;
        const uint8_t* row = GetBits(imageRow);
        const uint8_t* alphaRow = withAlpha ? alpha + uint64_t{imageRow} * width : nullptr;
        if (colour && !alphaRow) {
            cximage::SwapRedBlue(row, out, width);
        } else if (colour) {
            for (uint32_t x = 0; x < width; ++x, row += 3) {
                uint8_t* pixel = out + uint64_t{x} * samples;
                pixel[0] = row[2];
                pixel[1] = row[1];
                pixel[2] = row[0];
                if (alphaRow) pixel[3] = alphaRow[x];
            }
        } else if (alphaRow) {
            for (uint32_t x = 0; x < width; ++x) {
                out[2 * x] = row[x];
                out[2 * x + 1] = alphaRow[x];
            }
        } else {
            std::memcpy(out, row, info.rowBytes);
            if (invertBits)
                for (uint32_t i = 0; i < info.rowBytes; ++i) out[i] = static_cast<uint8_t>(~out[i]);
        }
        if (TIFFWriteScanline(tif, out, y, 0) < 0) return false;
    }
    return true;
}
