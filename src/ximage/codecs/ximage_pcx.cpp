#include "ximage/codecs/ximage_pcx.h"

#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/dib/ximage_bytes.h"

using cximage::LoadU16;
using cximage::StoreU16;

namespace {

constexpr uint32_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 0x0A;
constexpr uint8_t kPaletteMarker = 12;
constexpr uint32_t kMaxRun = 63;
constexpr int kEndEven = -1;  // end of a line of even width
constexpr int kEndOdd = -2;   // end of a line of odd width: one padding byte follows

// The header fields the codec uses, read byte by byte.
struct PcxHeader {
    uint8_t manufacturer = 0;
    uint8_t encoding = 0;
    uint8_t bitsPerPixel = 0;
    uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    uint16_t hRes = 0, vRes = 0;
    uint8_t colorMap[48] = {};
    uint8_t planes = 0;
    uint16_t bytesPerLine = 0;
};

PcxHeader LoadHeader(const uint8_t* p) {
    PcxHeader h;
    h.manufacturer = p[0];
    h.encoding = p[2];
    h.bitsPerPixel = p[3];
    h.xMin = LoadU16(p + 4);
    h.yMin = LoadU16(p + 6);
    h.xMax = LoadU16(p + 8);
    h.yMax = LoadU16(p + 10);
    h.hRes = LoadU16(p + 12);
    h.vRes = LoadU16(p + 14);
    std::memcpy(h.colorMap, p + 16, sizeof h.colorMap);
    h.planes = p[65];
    h.bytesPerLine = LoadU16(p + 66);
    return h;
}

// One plane of packed pixels (bits 8, 4, 2 or 1, leftmost in the high bits)
// to one index per byte; out holds 8 * bytes entries.
void ExpandPackedRow(const uint8_t* in, uint32_t bytes, uint32_t bits, uint8_t* out) {
    const uint32_t perByte = 8 / bits;
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    for (uint32_t i = 0; i < bytes; ++i)
        for (uint32_t k = 0; k < perByte; ++k)
            out[i * perByte + k] = static_cast<uint8_t>((in[i] >> (8 - bits * (k + 1))) & mask);
}

// Bit planes of one line (plane i holds bit i) to one index per byte; out
// holds 8 * bytes entries.
void MergeBitPlanes(const uint8_t* in, uint32_t bytes, uint32_t planes, uint8_t* out) {
    std::memset(out, 0, size_t{bytes} * 8);
    for (uint32_t i = 0; i < planes; ++i)
        for (uint32_t b = 0; b < bytes; ++b) {
            const uint8_t v = in[size_t{i} * bytes + b];
            for (uint32_t k = 0; k < 8; ++k)
                if (v & (0x80u >> k)) out[size_t{b} * 8 + k] |= static_cast<uint8_t>(1u << i);
        }
}

// Bit p of each of the width indices into a packed plane, leftmost pixel in
// the high bit; bytes past the picture stay as the caller cleared them.
void SplitBitPlane(const uint8_t* indices, uint32_t width, uint32_t p, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x) {
        if (x % 8 == 0) out[x / 8] = 0;
        if ((indices[x] >> p) & 1) out[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
    }
}

// The byte-by-byte run coder: value is a byte, or kEndEven / kEndOdd at the
// end of a plane line (runs never cross it).
struct PackValue {
    CxStream* out;
    int pending = 0;
    uint32_t count = 0;

    void operator()(int value) {
        if (value != pending && count > 0) {
            if (count == 1 && pending < 0xC0) {
                out->PutC(static_cast<uint8_t>(pending));
            } else {
                out->PutC(static_cast<uint8_t>(0xC0 | count));
                out->PutC(static_cast<uint8_t>(pending));
            }
            count = 0;
        }
        if (count == kMaxRun) {
            out->PutC(0xFF);
            out->PutC(static_cast<uint8_t>(pending));
            count = 0;
        }
        if (value == kEndOdd) out->PutC(0);
        pending = value & 0xFF;
        ++count;
    }
};

// The run coder over a whole plane line of n bytes.
void PackPlaneLine(CxStream* out, const uint8_t* line, uint32_t n) {
    if (n == 0) return;
    uint8_t previous = line[0];
    uint32_t count = 1;
    auto emit = [&] {
        if (count > 1 || previous >= 0xC0) out->PutC(static_cast<uint8_t>(0xC0 | count));
        out->PutC(previous);
    };
    for (uint32_t i = 1; i < n; ++i) {
        if (line[i] == previous && count < kMaxRun) {
            ++count;
        } else {
            emit();
            previous = line[i];
            count = 1;
        }
    }
    emit();
}

uint32_t Brightness(const CxRgbQuad& c) { return (117u * c.rgbBlue + 601u * c.rgbGreen + 306u * c.rgbRed) >> 10; }

}  // namespace

bool CxImagePCX::Decode(CxStream* stream) {
    if (!stream) return Fail("Can't read PCX image");
    CxStreamReader reader(stream);
    uint8_t raw[kHeaderSize];
    if (!reader.Read(raw, kHeaderSize)) return Fail("Can't read PCX image");
    const PcxHeader h = LoadHeader(raw);
    if (h.manufacturer != kManufacturer) return Fail("Error: Not a PCX file");
    if (h.encoding != 1) return Fail("PCX file has unknown encoding scheme");

    const int64_t width = int64_t{h.xMax} - h.xMin + 1;
    const int64_t height = int64_t{h.yMax} - h.yMin + 1;
    if (h.planes > 4) return Fail("Can't handle image with more than 4 planes");

    const uint32_t bits = h.bitsPerPixel;
    const uint32_t planes = h.planes;
    const bool rgb = bits == 8 && planes >= 3;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return Fail("Can't handle PCX bit depth");
    if (planes == 0) return Fail("Can't handle PCX bit depth");
    if (!rgb && planes > 1 && bits != 1) return Fail("Can't handle more than 1 bit per pixel");
    if (width <= 0 || height <= 0) return Fail("Invalid PCX image size");
    // Every line must hold the whole width: the pixels come from its bytes.
    const uint64_t bpl = h.bytesPerLine;
    if (bpl * 8 < static_cast<uint64_t>(width) * (rgb ? 8 : bits)) return Fail("Invalid PCX line length");

    // Each code byte pair yields at most 63 bytes: a picture larger than the
    // data left could fill is refused before anything is allocated.
    uint64_t total = 0;
    if (!cximage::ProductWithin({bpl, planes, static_cast<uint64_t>(height)}, CXIMAGE_MAX_MEMORY, total))
        return Fail("Can't allocate memory");
    if (KnowsSize(reader) && total > uint64_t{kMaxRun} * reader.Remaining()) return Fail("corrupted PCX");

    const uint32_t depth = rgb ? 24 : (planes > 1 ? 4 : bits);
    if (!Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), depth, CXIMAGE_FORMAT_PCX))
        return false;  // Create's text stays in lastError
    SetXDpi(h.hRes);  // keeps the block's pixels-per-metre in step; 0 means 96
    SetYDpi(h.vRes);
    if (rgb && planes == 4) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("Can't allocate memory");
    }
    if (info.escape) return Fail("Cancelled");

    CxBuffer data(total);
    if (!data) return Fail("Can't allocate memory");
    for (uint64_t filled = 0; filled < total;) {
        const int code = reader.GetByte();
        if (code < 0) return Fail("corrupted PCX");
        if ((code & 0xC0) != 0xC0) {
            data.data()[filled++] = static_cast<uint8_t>(code);
            continue;
        }
        const uint32_t run = static_cast<uint32_t>(code) & 0x3F;
        if (run > total - filled) return Fail("repeat count spans end of image");
        const int value = reader.GetByte();
        if (value < 0) return Fail("corrupted PCX");
        std::memset(data.data() + filled, value, run);
        filled += run;
    }

    uint8_t map[768] = {};
    std::memcpy(map, h.colorMap, sizeof h.colorMap);
    if (bits == 8 && planes == 1) {
        if (reader.GetByte() != kPaletteMarker) return Fail("bad color map signature");
        if (!reader.Read(map, sizeof map)) return Fail("corrupted PCX");
    } else if (bits == 1 && planes == 1) {
        std::memset(map, 0, 3);
        std::memset(map + 3, 255, 3);
    }
    for (uint32_t i = 0; i < GetNumColors(); ++i)
        SetPaletteColor(static_cast<uint8_t>(i), map[3 * i], map[3 * i + 1], map[3 * i + 2]);

    const auto w = static_cast<uint32_t>(width);
    const auto hgt = static_cast<uint32_t>(height);
    CxBuffer row(bpl * 8);
    if (!row) return Fail("Can't allocate memory");
    for (uint32_t y = 0; y < hgt; ++y) {
        if (info.escape) return Fail("Cancelled");
        const uint32_t target = hgt - 1 - y;
        const uint8_t* line = data.data() + uint64_t{y} * bpl * planes;
        if (rgb) {
            uint8_t* out = GetBits(target);
            for (uint32_t x = 0; x < w; ++x) {
                out[3 * x] = line[2 * bpl + x];
                out[3 * x + 1] = line[bpl + x];
                out[3 * x + 2] = line[x];
                if (planes == 4) AlphaSet(x, target, line[3 * bpl + x]);
            }
            continue;
        }
        if (planes == 1) ExpandPackedRow(line, static_cast<uint32_t>(bpl), bits, row.data());
        else MergeBitPlanes(line, static_cast<uint32_t>(bpl), planes, row.data());
        for (uint32_t x = 0; x < w; ++x) SetPixelIndex(x, target, row.data()[x]);
    }
    return true;
}

bool CxImagePCX::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const uint32_t bpp = GetBpp();
    const bool wide = bpp == 8 || bpp == 24;
    const uint32_t planes = bpp == 8 ? 1 : bpp == 24 ? (AlphaIsValid() ? 4 : 3) : (GetNumColors() == 16 ? 4 : 1);
    uint64_t bpl = wide ? width : (uint64_t{width} + 7) / 8;
    bpl += bpl & 1;
    // The header holds Xmax, Ymax and the line length in 16 bits.
    if (width > 65536 || height > 65536 || bpl > 0xFFFF) return Fail("image too large for PCX");

    uint8_t raw[kHeaderSize] = {};
    raw[0] = kManufacturer;
    raw[1] = 5;
    raw[2] = 1;
    raw[3] = wide ? 8 : 1;
    StoreU16(raw + 8, static_cast<uint16_t>(width - 1));
    StoreU16(raw + 10, static_cast<uint16_t>(height - 1));
    StoreU16(raw + 12, static_cast<uint16_t>(info.xDpi));
    StoreU16(raw + 14, static_cast<uint16_t>(info.yDpi));
    if (!wide && planes == 1) {
        std::memset(raw + 19, 255, 3);  // entry 0 black, entry 1 white
    } else if (!wide) {
        for (uint32_t i = 0; i < 16; ++i) {
            const CxRgbQuad c = GetPaletteColor(static_cast<uint8_t>(i));
            raw[16 + 3 * i] = c.rgbRed;
            raw[17 + 3 * i] = c.rgbGreen;
            raw[18 + 3 * i] = c.rgbBlue;
        }
    }
    raw[65] = static_cast<uint8_t>(planes);
    StoreU16(raw + 66, static_cast<uint16_t>(bpl));
    StoreU16(raw + 68, bpp == 24 ? 1 : 0);
    if (stream->Write(raw, 1, kHeaderSize) != kHeaderSize) return Fail("cannot write PCX header");

    // Written a byte at a time: grown page by page, a large picture's
    // packed data would be copied once a page by the Windows heap.
    CxMemStream packed;
    if (!packed.Open(CxMemStream::Growth::Geometric)) return Fail("Can't allocate memory");
    const int end = (width & 1) ? kEndOdd : kEndEven;
    if (wide) {
        for (uint32_t y = height; y-- > 0;) {
            const uint8_t* bits = GetBits(y);
            for (uint32_t p = 0; p < planes; ++p) {
                PackValue pack{&packed};
                for (uint32_t x = 0; x < width; ++x) {
                    if (bpp == 8) pack(bits[x]);
                    else if (p == 3) pack(AlphaGet(x, y));
                    else pack(bits[3 * x + 2 - p]);  // rows hold blue, green, red
                }
                pack(end);
            }
        }
        if (bpp == 8) {
            packed.PutC(kPaletteMarker);
            for (uint32_t i = 0; i < 256; ++i) {
                const CxRgbQuad c = GetPaletteColor(static_cast<uint8_t>(i));
                packed.PutC(c.rgbRed);
                packed.PutC(c.rgbGreen);
                packed.PutC(c.rgbBlue);
            }
        }
    } else {
        CxBuffer indices(width);
        CxBuffer plane(bpl);
        if (!indices || !plane) return Fail("Can't allocate memory");
        const bool invert = bpp == 1 && Brightness(GetPaletteColor(0)) > Brightness(GetPaletteColor(1));
        for (uint32_t y = height; y-- > 0;) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t index = GetPixelIndex(x, y);
                indices.data()[x] = invert ? static_cast<uint8_t>(1 - index) : index;
            }
            for (uint32_t p = 0; p < planes; ++p) {
                SplitBitPlane(indices.data(), width, p, plane.data());
                PackPlaneLine(&packed, plane.data(), static_cast<uint32_t>(bpl));
            }
        }
    }
    if (packed.Error()) return Fail("Can't allocate memory");
    const auto bytes = static_cast<size_t>(packed.Size());
    if (stream->Write(packed.GetBuffer(false), 1, bytes) != bytes) return Fail("cannot write PCX data");
    return true;
}
