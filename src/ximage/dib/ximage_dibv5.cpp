// CxImage: the CF_DIBV5 block, 32 bits with straight alpha.
#include "ximage/dib/ximage_dibv5.h"

#include <cstring>

#include "ximage/dib/ximage_bytes.h"

namespace cximage {

namespace {

constexpr uint32_t kBitfields = 3;

// Whether a palette image marks one entry transparent (as the PNG encoder
// writes it: only an index inside the palette).
bool HasTransparentIndex(const CxImage& image) {
    const int32_t index = image.GetTransIndex();
    return index >= 0 && static_cast<uint32_t>(index) < image.GetNumColors();
}

void StoreV5Header(uint8_t* p, const CxImage& image, uint32_t imageBytes) {
    const CxBitmapInfoHeader& head = image.GetHeader();
    StoreU32(p + 0, kDibV5HeaderSize);
    StoreU32(p + 4, image.GetWidth());
    StoreU32(p + 8, image.GetHeight());  // positive: bottom-up rows
    StoreU16(p + 12, 1);
    StoreU16(p + 14, 32);
    StoreU32(p + 16, kBitfields);
    StoreU32(p + 20, imageBytes);
    StoreU32(p + 24, static_cast<uint32_t>(head.biXPelsPerMeter));
    StoreU32(p + 28, static_cast<uint32_t>(head.biYPelsPerMeter));
    // 32, 36: no colour table.
    StoreU32(p + 40, 0x00FF0000);
    StoreU32(p + 44, 0x0000FF00);
    StoreU32(p + 48, 0x000000FF);
    StoreU32(p + 52, 0xFF000000);
    StoreU32(p + 56, kLcsSRgb);
    // 60 to 107: end points and gammas, unused with sRGB.
    StoreU32(p + 108, kLcsGmImages);
    // 112 to 123: no profile, reserved.
}

// One row of 24-bit pixels, with the alpha plane's row (or null).
void WriteTrueColourRow(const CxImage& image, uint32_t y, const uint8_t* alphaRow, uint8_t* out) {
    const uint8_t* in = image.GetBits(y);
    const uint32_t alphaMax = image.GetInfo().alphaMax;
    const bool transparentColour = image.GetTransIndex() >= 0;
    const CxRgbQuad clear = image.GetTransColor();
    for (uint32_t x = 0; x < image.GetWidth(); ++x, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        const bool cleared = transparentColour && in[0] == clear.rgbBlue && in[1] == clear.rgbGreen &&
                             in[2] == clear.rgbRed;
        out[3] = cleared ? 0 : alphaRow ? static_cast<uint8_t>(alphaRow[x] * alphaMax / 255) : 255;
    }
}

// One row of palette pixels. With an alpha plane the plane alone decides,
// as in a PNG written as RGBA.
void WritePaletteRow(const CxImage& image, uint32_t y, const uint8_t* alphaRow, uint8_t* out) {
    const uint32_t alphaMax = image.GetInfo().alphaMax;
    const bool paletteAlpha = image.GetInfo().alphaPaletteEnabled;
    const bool transparentIndex = HasTransparentIndex(image);
    const auto clearIndex = static_cast<uint8_t>(transparentIndex ? image.GetTransIndex() : 0);
    for (uint32_t x = 0; x < image.GetWidth(); ++x, out += 4) {
        const uint8_t index = image.GetPixelIndexUnchecked(x, y);
        const CxRgbQuad color = image.GetPaletteColor(index);
        out[0] = color.rgbBlue;
        out[1] = color.rgbGreen;
        out[2] = color.rgbRed;
        if (alphaRow) out[3] = static_cast<uint8_t>(alphaRow[x] * alphaMax / 255);
        else if (paletteAlpha) out[3] = color.rgbReserved;
        else out[3] = transparentIndex && index == clearIndex ? 0 : 255;
    }
}

}  // namespace

bool HasTransparency(const CxImage& image) {
    if (!image.IsValid()) return false;
    if (image.AlphaIsValid()) return true;
    if (image.IsIndexed()) return HasTransparentIndex(image) || image.GetInfo().alphaPaletteEnabled;
    return image.GetTransIndex() >= 0;  // a transparent colour
}

qlry::HGlobal ExportDibV5Handle(const CxImage& image, qlry::GlobalMemory& memory) {
    if (!image.IsValid()) return nullptr;
    const uint32_t width = image.GetWidth(), height = image.GetHeight();
    uint64_t imageBytes = 0, total = 0;
    if (!ProductWithin({width, height, 4}, CXIMAGE_MAX_MEMORY, imageBytes) ||
        !CheckedAdd(imageBytes, kDibV5HeaderSize, total) || !FitsMemoryCap(total))
        return nullptr;

    // Zeroed: the header's unused fields must read 0 in other programs.
    qlry::UniqueGlobal block(memory, memory.Alloc(qlry::kGmemMoveable | qlry::kGmemZeroInit, total));
    if (!block) return nullptr;
    {
        qlry::GlobalLockGuard lock(memory, block.get());
        if (!lock) return nullptr;
        auto* out = static_cast<uint8_t*>(lock.get());
        StoreV5Header(out, image, static_cast<uint32_t>(imageBytes));
        uint8_t* rows = out + kDibV5HeaderSize;
        const uint8_t* plane = image.GetAlphaPlane();
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = rows + size_t{y} * width * 4;
            const uint8_t* alphaRow = plane ? plane + size_t{y} * width : nullptr;
            if (image.IsIndexed()) WritePaletteRow(image, y, alphaRow, row);
            else WriteTrueColourRow(image, y, alphaRow, row);
        }
    }
    return block.release();
}

}  // namespace cximage
