#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_ico.h"
#include "ximage/codecs/ximage_png.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/dib/ximage_bytes.h"

using cximage::LoadU16;
using cximage::LoadU32;

namespace {

constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kEntrySize = 16;
constexpr uint32_t kRgb = 0, kBitfields = 3;
constexpr const char* kNoMemory = "Can't allocate memory";
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Bytes of one mask row: 1 bit a pixel, padded to 4 bytes.
uint32_t MaskRowBytes(uint32_t width) { return ((width + 31) / 32) * 4; }

bool MaskBit(const uint8_t* row, uint32_t x) { return (row[x >> 3] & (0x80 >> (x & 7))) != 0; }

}  // namespace

// Decoder failures carry no text: a typed load of a file that is no icon
// keeps whatever text the caller's image held.
bool CxImageICO::Decode(CxStream* stream) {
    if (!stream) return false;
    CxStreamReader in(stream);
    const int64_t start = in.Position();
    const uint64_t available = in.Remaining();  // bytes from the icon's start to the end

    uint8_t header[kHeaderSize];
    if (!in.Read(header, kHeaderSize)) return false;
    const uint16_t type = LoadU16(header + 2);
    const uint16_t count = LoadU16(header + 4);
    if (LoadU16(header) != 0 || (type != 1 && type != 2)) return false;
    info.numFrames = count;
    if (!in.Has(uint64_t{count} * kEntrySize)) return false;  // the directory itself is cut off
    if (info.frame < 0 || info.frame >= count) return false;

    uint8_t raw[kEntrySize];
    if (!in.Skip(uint64_t(info.frame) * kEntrySize) || !in.Read(raw, kEntrySize)) return false;
    Entry entry;
    entry.width = raw[0] ? raw[0] : 256;
    entry.height = raw[1] ? raw[1] : 256;
    entry.resourceBytes = LoadU32(raw + 8);
    entry.offset = LoadU32(raw + 12);

    // The image must start inside the file with at least a PNG signature.
    if (uint64_t{entry.offset} + sizeof(kPngSignature) > available) return false;
    if (!in.SeekTo(start + entry.offset)) return false;
    uint8_t signature[sizeof(kPngSignature)];
    if (!in.Read(signature, sizeof(signature)) || !in.SeekTo(start + entry.offset)) return false;
    if (std::memcmp(signature, kPngSignature, sizeof(kPngSignature)) == 0) return DecodePng(in, entry, available);
    return DecodeBitmap(in, entry, available);
}

// A PNG entry is a whole PNG file: the PNG codec reads it from its slice
// (the entry's size, or to the end of the file when the size claims more).
bool CxImageICO::DecodePng(CxStreamReader& in, const Entry& entry, uint64_t available) {
    uint64_t bytes = available - entry.offset;
    if (entry.resourceBytes < bytes) bytes = entry.resourceBytes;
    CxBuffer slice;
    if (!slice.Allocate(bytes)) return Fail(kNoMemory);
    if (!in.Read(slice.data(), slice.size())) return false;

    CxMemStream pngStream(slice.data(), static_cast<int32_t>(slice.size()));
    CxImagePNG png;
    png.CopyOptions(*this);
    png.SetFrame(0);
    const int32_t frames = info.numFrames;
    const int32_t frame = info.frame;
    if (!png.Decode(&pngStream) || !TakeOver(png)) return Fail(png.GetLastError());
    info.format = CXIMAGE_FORMAT_ICO;
    info.numFrames = frames;
    info.frame = frame;
    info.lastError[0] = '\0';
    return true;
}

bool CxImageICO::DecodeBitmap(CxStreamReader& in, const Entry& entry, uint64_t available) {
    uint8_t headerBytes[kCxInfoHeaderSize];
    if (!in.Read(headerBytes, sizeof(headerBytes))) return false;
    const CxBitmapInfoHeader h = cximage::LoadInfoHeader(headerBytes);
    const uint32_t depth = h.biBitCount;
    if (h.biSize < kCxInfoHeaderSize) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
    // Compressed icon bitmaps do not exist; 16 and 32-bit rows may name
    // their masks (Windows writes 32-bit icons so).
    if (h.biCompression != kRgb && !(h.biCompression == kBitfields && (depth == 16 || depth == 32))) return false;

    // The size is the directory entry's, unless the info header (which lays
    // out the rows) disagrees: then the header's, as Windows reads it.
    uint32_t width = entry.width, height = entry.height;
    if (h.biWidth > 0 && h.biHeight > 1 &&
        (static_cast<uint32_t>(h.biWidth) != width || static_cast<uint32_t>(h.biHeight / 2) != height)) {
        width = static_cast<uint32_t>(h.biWidth);
        height = static_cast<uint32_t>(h.biHeight / 2);
    }

    // Everything up to the mask must be in the file before anything is allocated.
    uint8_t masks[12] = {};
    const uint64_t maskField = h.biCompression == kBitfields && h.biSize == kCxInfoHeaderSize ? 12 : 0;
    const uint64_t paletteBytes = depth <= 8 ? uint64_t{4} << depth : 0;
    uint64_t colourBytes = 0, needed = 0;
    if (!cximage::ProductWithin({depth == 32 ? uint64_t{width} * 4 : cximage::DibRowBytes(width, depth), height},
                                CXIMAGE_MAX_MEMORY, colourBytes))
        return false;
    if (!cximage::CheckedAdd(uint64_t{entry.offset} + h.biSize + maskField + paletteBytes, colourBytes, needed) ||
        needed > available)
        return false;
    if (h.biSize > kCxInfoHeaderSize) {
        // Longer headers (masks, colour space, profile link): the palette follows them.
        uint64_t rest = h.biSize - kCxInfoHeaderSize;
        if (h.biCompression == kBitfields) {
            if (rest < sizeof(masks) || !in.Read(masks, sizeof(masks))) return false;
            rest -= sizeof(masks);
        }
        if (!in.Skip(rest)) return false;
    } else if (maskField && !in.Read(masks, sizeof(masks))) {
        return false;
    }
    // 32-bit rows are read as blue, green, red and alpha bytes: other masks
    // would need another reading.
    if (depth == 32 && h.biCompression == kBitfields &&
        (LoadU32(masks) != 0x00FF0000 || LoadU32(masks + 4) != 0x0000FF00 || LoadU32(masks + 8) != 0x000000FF))
        return false;

    if (!Create(width, height, depth, CXIMAGE_FORMAT_ICO)) return false;

    if (paletteBytes) {
        CxRgbQuad palette[256];
        uint8_t bytes[1024];
        if (!in.Read(bytes, static_cast<size_t>(paletteBytes))) return false;
        const uint32_t entries = static_cast<uint32_t>(paletteBytes / 4);
        for (uint32_t i = 0; i < entries; ++i)
            palette[i] = CxRgbQuad{bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]};
        SetPalette(palette, entries);
    }
    if (!ReadColourRows(in, depth, h.biCompression, h.biCompression == kBitfields ? masks : nullptr)) {
        Destroy();
        return false;
    }

    // A short mask leaves the picture as it is, without transparency from it.
    const uint32_t maskRowBytes = MaskRowBytes(width);
    CxBuffer mask;
    if (!mask.Allocate(uint64_t{maskRowBytes} * height)) return Fail(kNoMemory);
    if (!in.Read(mask.data(), mask.size())) return true;
    return ApplyMask(mask.data(), maskRowBytes, depth) || Fail(kNoMemory);
}

bool CxImageICO::ReadColourRows(CxStreamReader& in, uint32_t depth, uint32_t compression, const uint8_t* masks) {
    if (depth == 32) return ReadPixels32(in);
    if (depth != 16) return in.Read(info.pixels, head.biSizeImage);

    // 16-bit rows are narrower than the 24-bit image: read them, then widen.
    CxBuffer rows;
    if (!rows.Allocate(cximage::DibRowBytes(GetWidth(), 16) * GetHeight())) return Fail(kNoMemory);
    if (!in.Read(rows.data(), rows.size())) return false;
    uint32_t red = 0x7C00, green = 0x03E0, blue = 0x001F;  // 5-5-5 without masks
    if (compression == kBitfields && masks) {
        red = LoadU32(masks);
        green = LoadU32(masks + 4);
        blue = LoadU32(masks + 8);
    }
    UnpackBitfields(rows.data(), red, green, blue, 16);
    return true;
}

// 32-bit pixels: blue, green, red to the 24-bit rows, the fourth byte to the
// alpha plane. Pixels whose fourth bytes are all 0 carry no alpha (old
// tools write them so): the plane is then opaque and the mask decides.
bool CxImageICO::ReadPixels32(CxStreamReader& in) {
    const uint32_t width = GetWidth(), height = GetHeight();
    CxBuffer data;
    if (!data.Allocate(uint64_t{width} * height * 4) || !AlphaCreate()) return Fail(kNoMemory);
    if (!in.Read(data.data(), data.size())) return false;
    const uint8_t* p = data.data();
    uint8_t anyAlpha = 0;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = info.pixels + static_cast<size_t>(y) * info.rowBytes;
        uint8_t* a = alpha + static_cast<size_t>(y) * width;
        for (uint32_t x = 0; x < width; ++x, p += 4) {
            row[3 * x] = p[0];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[2];
            a[x] = p[3];
            anyAlpha |= p[3];
        }
    }
    if (!anyAlpha) std::memset(alpha, 255, static_cast<size_t>(width) * height);
    dataAlpha = anyAlpha != 0;
    return true;
}

bool CxImageICO::ApplyMask(const uint8_t* mask, uint32_t maskRowBytes, uint32_t depth) {
    const uint64_t maskBytes = uint64_t{maskRowBytes} * GetHeight();
    bool allSet = true;
    for (uint64_t i = 0; i < maskBytes && allSet; ++i) allSet = mask[i] == 0xFF;
    // A 32-bit image with alpha of its own is drawn from that alpha; a mask
    // that some tools write all set would invert it or hide it whole.
    if (allSet && depth == 32 && dataAlpha) return true;
    if (allSet) {
        SetTransIndex(0);
        Negative();
        return true;
    }

    const bool hadPlane = AlphaIsValid();
    if (!AlphaCreate()) return false;
    const uint32_t width = GetWidth(), height = GetHeight();
    bool anySet = false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = mask + static_cast<size_t>(y) * maskRowBytes;
        for (uint32_t x = 0; x < width; ++x) {
            if (!MaskBit(row, x)) continue;
            AlphaSet(x, y, 0);
            anySet = true;
        }
    }
    if (!anySet && !hadPlane) AlphaDelete();
    if (!AlphaIsValid() || depth == 32) return true;
    if (GetBpp() == 24) MaskToTransColor();
    else MaskToUnusedIndex();
    return true;
}

// Masked pixels of one colour: that colour is the transparent colour.
void CxImageICO::MaskToTransColor() {
    const uint32_t width = GetWidth(), height = GetHeight();
    bool found = false;
    CxRgbQuad colour;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (alpha[static_cast<size_t>(y) * width + x] != 0) continue;
            const CxRgbQuad c = GetPixelColor(x, y, false);
            if (!found) {
                colour = c;
                found = true;
            } else if (c.rgbBlue != colour.rgbBlue || c.rgbGreen != colour.rgbGreen || c.rgbRed != colour.rgbRed) {
                return;  // several colours: the alpha plane stays
            }
        }
    }
    if (!found) return;
    SetTransColor(colour);
    SetTransIndex(0);
    AlphaDelete();
}

// Masked pixels take the lowest palette index no pixel uses, which becomes
// the transparent index. With every index in use the alpha plane stays.
void CxImageICO::MaskToUnusedIndex() {
    const uint32_t width = GetWidth(), height = GetHeight();
    bool used[256] = {};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) used[GetPixelIndexUnchecked(x, y)] = true;
    uint32_t unused = 0;
    while (unused < GetNumColors() && used[unused]) ++unused;
    if (unused >= GetNumColors()) return;

    bool painted = false;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (alpha[static_cast<size_t>(y) * width + x] != 0) continue;
            SetPixelIndex(x, y, static_cast<uint8_t>(unused));
            painted = true;
        }
    }
    if (painted) SetTransIndex(static_cast<int32_t>(unused));
    AlphaDelete();
}
