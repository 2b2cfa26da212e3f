// Reading PNG files (the writer is in ximage_png_write.cpp).
#include "ximage/codecs/ximage_png.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/codecs/ximage_png_memory.h"

// The state shared by the reader and libpng's callbacks. Plain data only:
// libpng's error path jumps over every frame that uses it.
struct CxPngReader {
    png_structp png;
    png_infop info;
    uint8_t* row;       // one row as libpng hands it over
    uint64_t rowSize;
    CxStream* stream;
    char* lastError;    // the image's 256-byte error text
    uint32_t passes;
    bool withAlpha;     // 4 bytes per pixel: blue, green, red, alpha
    bool twoBit;        // 2-bit rows widened to 4 bits after the last pass
};

namespace {

constexpr size_t kRowSlack = 10;
const uint8_t kTwoBitGreys[4] = {0, 85, 170, 255};

void ReadData(png_structp png, png_bytep data, size_t length) {
    auto* reader = static_cast<CxPngReader*>(png_get_io_ptr(png));
    if (reader->stream->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void ReportError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<CxPngReader*>(png_get_error_ptr(png));
    if (reader && reader->lastError) {
        std::strncpy(reader->lastError, message ? message : "", 255);
        reader->lastError[255] = '\0';
    }
    png_longjmp(png, 1);
}

// Warnings are not errors and the program has nowhere to show them.
void IgnoreWarning(png_structp, png_const_charp) {}

// Grey 192 in the file's own sample depth.
png_color_16 DefaultBackground(int bitDepth) {
    const uint32_t maxSample = (1u << bitDepth) - 1;
    const auto grey = static_cast<png_uint_16>((192 * maxSample + 127) / 255);
    png_color_16 background{};
    background.red = background.green = background.blue = background.gray = grey;
    return background;
}

// Pixels per metre to dots per inch, within the range SetXDpi accepts.
int32_t MetresToDpi(png_uint_32 perMetre) {
    const double dpi = std::floor(static_cast<double>(perMetre) * 0.0254 + 0.5);
    return dpi > 50000000.0 ? 50000000 : static_cast<int32_t>(dpi);
}

// Pixel n of a 2-bit row becomes nibble n of a 4-bit row, last pixel first
// so that no pixel is overwritten before it is read.
void WidenTwoBitRow(uint8_t* row, uint32_t width) {
    for (uint32_t n = width; n-- > 0;) {
        const uint8_t value = (row[n / 4] >> (6 - 2 * (n % 4))) & 3;
        uint8_t& out = row[n / 2];
        out = (n % 2 == 0) ? static_cast<uint8_t>((out & 0x0F) | (value << 4))
                           : static_cast<uint8_t>((out & 0xF0) | value);
    }
}

}  // namespace

bool CxImagePNG::Fail(const char* text) {
    SetLastErrorText(text);
    return false;
}

bool CxImagePNG::Decode(CxStream* stream) {
    if (!stream) return Fail("null file handler");
    CxPngReader reader{};
    reader.stream = stream;
    reader.lastError = info.lastError;
    reader.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &reader, ReportError, IgnoreWarning, nullptr,
                                          PngAllocate, PngFree);
    if (!reader.png) return Fail("Failed to create PNG structure");
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) {
        png_destroy_read_struct(&reader.png, nullptr, nullptr);
        return Fail("Failed to initialize PNG info structure");
    }
    png_set_read_fn(reader.png, &reader, ReadData);
    // Ancillary chunks (text, profiles) may not make libpng allocate more than this.
    png_set_chunk_malloc_max(reader.png, 8000000);
    const bool ok = ReadWithRecovery(reader);
    std::free(reader.row);
    png_destroy_read_struct(&reader.png, &reader.info, nullptr);
    return ok;
}

bool CxImagePNG::ReadWithRecovery(CxPngReader& reader) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    return ReadBody(reader);
}

bool CxImagePNG::ReadBody(CxPngReader& reader) {
    png_structp png = reader.png;
    png_infop pngInfo = reader.info;
    // Chunks the picture does not need are skipped as they are read: libpng
    // would hold each whole first, as long as its length claims (up to 2 GB,
    // the chunk cap notwithstanding), even when the file ends far sooner.
    // (Inside the recovery point: the list itself is allocated.)
    static const png_byte kUnneeded[] = "tEXt\0zTXt\0iTXt\0sPLT\0hIST\0pCAL\0sCAL\0sBIT\0tIME\0eXIf\0oFFs\0sTER";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnneeded, sizeof kUnneeded / 5);
    png_read_info(png, pngInfo);
    const png_uint_32 width = png_get_image_width(png, pngInfo);
    const png_uint_32 height = png_get_image_height(png, pngInfo);
    const int bitDepth = png_get_bit_depth(png, pngInfo);
    const int colorType = png_get_color_type(png, pngInfo);

    if (info.escape == -1) {
        head.biWidth = static_cast<int32_t>(width);
        head.biHeight = static_cast<int32_t>(height);
        head.biBitCount = static_cast<uint16_t>(png_get_bit_depth(png, pngInfo) * png_get_channels(png, pngInfo));
        SetLastErrorText("output dimensions returned");
        return true;
    }

    // The transparency found below describes this file, not the caller's last image.
    info.transIndex = -1;
    info.alphaPaletteEnabled = false;
    info.transColor = CxRgbQuad{};

    // Transparency: an alpha channel is kept as an alpha plane, a palette
    // tRNS as the palette's alpha; other tRNS colours are composed.
    reader.withAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    png_color_16p background = nullptr;
    const bool hasBackground = png_get_bKGD(png, pngInfo, &background) != 0 && background;
    if (reader.withAlpha) {
        if (hasBackground) {
            const int shift = bitDepth == 16 ? 8 : 0;
            const bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
            CxRgbQuad color;
            color.rgbRed = static_cast<uint8_t>((grey ? background->gray : background->red) >> shift);
            color.rgbGreen = static_cast<uint8_t>((grey ? background->gray : background->green) >> shift);
            color.rgbBlue = static_cast<uint8_t>((grey ? background->gray : background->blue) >> shift);
            SetTransColor(color);
        }
        if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    } else if (colorType != PNG_COLOR_TYPE_PALETTE && png_get_valid(png, pngInfo, PNG_INFO_tRNS)) {
        if (hasBackground) {
            png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        } else {
            const png_color_16 grey = DefaultBackground(bitDepth);
            png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        }
    }
    if (bitDepth == 16) png_set_strip_16(png);
    if (reader.withAlpha || (colorType & PNG_COLOR_MASK_COLOR)) png_set_bgr(png);
    reader.passes = static_cast<uint32_t>(png_set_interlace_handling(png));
    png_read_update_info(png, pngInfo);

    // What libpng will hand over decides the image's depth.
    const int outChannels = png_get_channels(png, pngInfo);
    const int outDepth = png_get_bit_depth(png, pngInfo);
    uint32_t bpp = 0;
    if (reader.withAlpha && outChannels == 4 && outDepth == 8) bpp = 24;
    else if (!reader.withAlpha && outChannels == 3 && outDepth == 8) bpp = 24;
    else if (!reader.withAlpha && outChannels == 1 && outDepth <= 8) bpp = static_cast<uint32_t>(outDepth);
    if (bpp == 0) return Fail("Unsupported PNG pixel layout");
    reader.twoBit = bpp == 2;

    uint64_t pixels = 0;
    if (!cximage::ProductWithin({width, height}, CXIMAGE_MAX_MEMORY, pixels) ||
        !Create(width, height, bpp, CXIMAGE_FORMAT_PNG))
        return Fail("Can't allocate memory");
    if (reader.withAlpha) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("Can't allocate memory");
    }
    ReadHeaderOptions(reader);
    SetCodecOption(reader.passes > 1 ? 1 : 0, CXIMAGE_FORMAT_PNG);
    if (info.escape) return false;

    // Room for libpng's row, for the 2-bit row widened and for the image row.
    const uint64_t pngRow = png_get_rowbytes(png, pngInfo);
    uint64_t pixelBytes = 0;
    cximage::ProductWithin({width, reader.withAlpha ? 4u : (bpp + 7) / 8}, UINT64_MAX, pixelBytes);
    const uint64_t size = std::max({pngRow, pixelBytes, uint64_t{info.rowBytes}}) + kRowSlack;
    if (size > CXIMAGE_MAX_MEMORY * 4 + kRowSlack) return Fail("Can't allocate memory");
    reader.rowSize = size;
    reader.row = static_cast<uint8_t*>(cximage::AllocateZeroed(static_cast<size_t>(size)));
    if (!reader.row) return Fail("Can't allocate memory");
    if (!ReadRows(reader)) return false;
    png_read_end(png, pngInfo);
    return true;
}

void CxImagePNG::ReadHeaderOptions(CxPngReader& reader) {
    png_structp png = reader.png;
    png_infop pngInfo = reader.info;
    png_uint_32 xRes = 0, yRes = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, pngInfo, &xRes, &yRes, &unit) && unit == PNG_RESOLUTION_METER) {
        SetXDpi(MetresToDpi(xRes));
        SetYDpi(MetresToDpi(yRes));
    } else {
        // No unit is an aspect ratio, not a resolution: the default stays.
        SetXDpi(0);
        SetYDpi(0);
    }

    if (!GetPalette()) return;
    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (png_get_PLTE(png, pngInfo, &palette, &paletteSize) && palette && paletteSize > 0) {
        uint8_t triples[256 * 3];
        const int count = std::min(paletteSize, 256);
        for (int i = 0; i < count; ++i) {
            triples[3 * i] = palette[i].red;
            triples[3 * i + 1] = palette[i].green;
            triples[3 * i + 2] = palette[i].blue;
        }
        SetPaletteTriples(triples, static_cast<uint32_t>(count));
    } else if (reader.twoBit) {
        for (uint8_t i = 0; i < 4; ++i) SetPaletteColor(i, kTwoBitGreys[i], kTwoBitGreys[i], kTwoBitGreys[i]);
    } else {
        SetGrayPalette();
    }

    png_bytep trans = nullptr;
    int transCount = 0;
    png_color_16p transValue = nullptr;
    if (png_get_color_type(png, pngInfo) != PNG_COLOR_TYPE_PALETTE ||
        !png_get_tRNS(png, pngInfo, &trans, &transCount, &transValue) || !trans || transCount <= 0)
        return;
    CxRgbQuad* entries = GetPalette();
    const uint32_t used = head.biClrUsed;
    const uint32_t copied = std::min(used, static_cast<uint32_t>(transCount));
    for (uint32_t i = 0; i < copied; ++i) entries[i].rgbReserved = trans[i];
    if (transCount == 1 && entries[0].rgbReserved == 0) {
        info.transIndex = 0;
    } else {
        info.alphaPaletteEnabled = true;
        for (uint32_t i = copied; i < used; ++i) entries[i].rgbReserved = 255;
    }
}

bool CxImagePNG::ReadRows(CxPngReader& reader) {
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    uint8_t* row = reader.row;
    const size_t copyBytes = static_cast<size_t>(std::min<uint64_t>(info.rowBytes, reader.rowSize));
    for (uint32_t pass = 0; pass < reader.passes; ++pass) {
        const bool merging = pass > 0;  // later passes add to the pixels already read
        const bool lastPass = pass + 1 == reader.passes;
        for (uint32_t y = 0; y < height; ++y) {
            if (info.escape) return false;
            const uint32_t imageRow = height - 1 - y;
            uint8_t* bits = GetBits(imageRow);
            if (!reader.withAlpha) {
                if (merging) std::memcpy(row, bits, copyBytes);
                png_read_row(reader.png, row, nullptr);
                if (reader.twoBit && lastPass) WidenTwoBitRow(row, width);
                std::memcpy(bits, row, copyBytes);
                continue;
            }
            if (merging) {
                for (uint32_t x = 0; x < width; ++x) {
                    std::memcpy(row + 4 * size_t{x}, bits + 3 * size_t{x}, 3);
                    row[4 * size_t{x} + 3] = AlphaGet(x, imageRow);
                }
            }
            png_read_row(reader.png, row, nullptr);
            for (uint32_t x = 0; x < width; ++x) {
                std::memcpy(bits + 3 * size_t{x}, row + 4 * size_t{x}, 3);
                AlphaSet(x, imageRow, row[4 * size_t{x} + 3]);
            }
        }
    }
    return true;
}
