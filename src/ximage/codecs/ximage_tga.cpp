#include "ximage/codecs/ximage_tga.h"

#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/dib/ximage_bytes.h"

using cximage::LoadU16;

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint32_t kMaxMapLength = 256;
constexpr uint32_t kMaxPacket = 128;

enum TgaType : uint8_t { kMapped = 1, kTrueColor = 2, kGrey = 3 };

// The 18-byte file header, field by field.
struct TgaHeader {
    uint8_t idLength;
    uint8_t mapType;
    uint8_t imageType;
    uint16_t mapFirst;
    uint16_t mapLength;
    uint8_t mapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;
};

TgaHeader ParseHeader(const uint8_t* p) {
    TgaHeader h{};
    h.idLength = p[0];
    h.mapType = p[1];
    h.imageType = p[2];
    h.mapFirst = LoadU16(p + 3);
    h.mapLength = LoadU16(p + 5);
    h.mapEntryBits = p[7];
    h.width = LoadU16(p + 12);
    h.height = LoadU16(p + 14);
    h.depth = p[16];
    h.descriptor = p[17];
    return h;
}

// One 15/16-bit pixel (5 bits each of red, green, blue; the top bit unused)
// to blue, green, red.
void Unpack555(const uint8_t* src, uint8_t* bgr) {
    const uint16_t p = LoadU16(src);
    bgr[0] = static_cast<uint8_t>((p & 0x1F) << 3);
    bgr[1] = static_cast<uint8_t>((p >> 2) & 0xF8);
    bgr[2] = static_cast<uint8_t>((p >> 7) & 0xF8);
}

}  // namespace

// Turns file pixels into one storage row. Runs and raw packets may cross
// row ends: what is left of a packet is carried to the next row.
class TgaRowReader {
public:
    TgaRowReader(CxImage& image, CxStreamReader& reader, uint32_t depth, bool greyAlpha, uint8_t* scratch)
        : image_(image), reader_(reader), depth_(depth), greyAlpha_(greyAlpha), bytes_((depth + 7) / 8),
          direct_(depth == 24 || (depth == 8 && !greyAlpha)), scratch_(scratch) {}

    bool PacketCarried() const { return runLeft_ != 0 || rawLeft_ != 0; }

    void ReadRaw(uint8_t* row, uint32_t row_y, uint32_t x0, uint32_t count) {
        // Grey levels, indices and blue-green-red are stored as the file has
        // them: straight into the row, with no copy in between.
        if (direct_) {
            reader_.ReadOrZero(row + size_t{x0} * bytes_, size_t{count} * bytes_);
            return;
        }
        reader_.ReadOrZero(scratch_, size_t{count} * bytes_);
        for (uint32_t i = 0; i < count; ++i) Store(scratch_ + size_t{i} * bytes_, row, row_y, x0 + i);
    }

    void ReadRle(uint8_t* row, uint32_t row_y, uint32_t width) {
        uint32_t x = 0;
        while (x < width) {
            if (runLeft_) {
                const uint32_t take = runLeft_ < width - x ? runLeft_ : width - x;
                for (uint32_t i = 0; i < take; ++i) Store(runValue_, row, row_y, x + i);
                runLeft_ -= take;
                x += take;
                continue;
            }
            if (rawLeft_) {
                const uint32_t take = rawLeft_ < width - x ? rawLeft_ : width - x;
                ReadRaw(row, row_y, x, take);
                rawLeft_ -= take;
                x += take;
                continue;
            }
            const int packet = reader_.GetByte();
            if (packet < 0) return;  // the rest of the row stays cleared
            if (packet & 0x80) {
                reader_.ReadOrZero(runValue_, bytes_);
                runLeft_ = static_cast<uint32_t>(packet) - 127;
            } else {
                rawLeft_ = static_cast<uint32_t>(packet) + 1;
            }
        }
    }

private:
    void Store(const uint8_t* src, uint8_t* row, uint32_t row_y, uint32_t x) {
        switch (depth_) {
        case 8: row[x] = src[0]; break;
        case 15:
        case 16:
            if (greyAlpha_) {
                row[x] = src[0];
                image_.AlphaSet(x, row_y, src[1]);
            } else {
                Unpack555(src, row + size_t{x} * 3);
            }
            break;
        case 24: std::memcpy(row + size_t{x} * 3, src, 3); break;
        default:
            std::memcpy(row + size_t{x} * 3, src, 3);
            image_.AlphaSet(x, row_y, src[3]);
            break;
        }
    }

    CxImage& image_;
    CxStreamReader& reader_;
    uint32_t depth_;
    bool greyAlpha_;
    uint32_t bytes_;
    bool direct_;  // file pixels are the row's own bytes
    uint8_t* scratch_;  // one row of file pixels
    uint8_t runValue_[4] = {};
    uint32_t runLeft_ = 0;
    uint32_t rawLeft_ = 0;
};

bool CxImageTGA::Decode(CxStream* stream) {
    if (!stream) return Fail("Not a TGA");
    CxStreamReader reader(stream);
    uint8_t bytes[kHeaderSize];
    if (!reader.Read(bytes, kHeaderSize)) return Fail("Not a TGA");
    const TgaHeader h = ParseHeader(bytes);

    const uint8_t kind = h.imageType & 7;
    const bool rle = (h.imageType & 8) != 0;
    if ((h.imageType & ~0x0B) != 0 || kind < kMapped || kind > kGrey) return Fail("Unknown TGA image type");

    // Without a magic number the header must make sense as a whole before
    // anything is allocated: the pixel depth must suit the image type and
    // a colour map must have entries we can read (grey levels, 5-5-5,
    // blue-green-red, or blue-green-red and an unused byte).
    const uint32_t depth = h.depth;
    bool depthFits = false;
    switch (kind) {
    case kMapped: depthFits = depth == 8; break;
    case kTrueColor: depthFits = depth == 15 || depth == 16 || depth == 24 || depth == 32; break;
    default: depthFits = depth == 8 || depth == 16; break;
    }
    const uint32_t mapEntryBytes = (h.mapEntryBits + 7u) / 8u;
    const bool mapFits = h.mapType == 0 || (h.mapType == 1 && (h.mapLength == 0 || h.mapEntryBits == 8 || h.mapEntryBits == 15 ||
                                                               h.mapEntryBits == 16 || h.mapEntryBits == 24 ||
                                                               h.mapEntryBits == 32));
    if (h.width == 0 || h.height == 0 || !depthFits || !mapFits || h.mapLength > kMaxMapLength)
        return Fail("bad TGA header");

    SeekForward(reader, h.idLength);

    // The pixels must at least start in the data: every row before the last
    // needs file bytes (a run of 128 pixels is the densest form, and may
    // reach into later rows), and the first row needs one.
    const uint64_t width = h.width, height = h.height;
    const uint64_t pixelBytes = (depth + 7) / 8;
    const uint64_t mapBytes = h.mapType ? uint64_t{h.mapLength} * mapEntryBytes : 0;
    const uint64_t before = (height - 1) * width;
    const uint64_t leastPixelBytes =
        rle ? (before ? (before + kMaxPacket - 1) / kMaxPacket * (1 + pixelBytes) : 1) : before * pixelBytes + 1;
    const bool knowsSize = KnowsSize(reader);
    if (knowsSize && !reader.Has(mapBytes + leastPixelBytes)) return Fail("corrupted TGA");

    const bool greyAlpha = kind == kGrey && depth == 16;
    const uint32_t imageDepth = (depth == 8 || greyAlpha) ? 8 : 24;
    if (!Create(h.width, h.height, imageDepth, CXIMAGE_FORMAT_TGA)) return Fail("TGA Create failed");
    if (depth == 32 || greyAlpha) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("TGA Create failed");
    }
    CxBuffer scratch(width * 4);
    if (!scratch) return Fail("TGA Create failed");
    if (info.escape) return Fail("Cancelled");

    if (h.mapType) {
        // Entry i is colour first + i; entries past the palette are read and dropped.
        uint8_t map[kMaxMapLength * 4];
        reader.ReadOrZero(map, static_cast<size_t>(mapBytes));
        for (uint32_t i = 0; i < h.mapLength; ++i) {
            const uint32_t index = uint32_t{h.mapFirst} + i;
            if (index >= GetNumColors()) break;
            const uint8_t* e = map + size_t{i} * mapEntryBytes;
            uint8_t bgr[3];
            if (mapEntryBytes == 1) std::memset(bgr, e[0], 3);  // a grey level
            else if (mapEntryBytes == 2) Unpack555(e, bgr);
            else std::memcpy(bgr, e, 3);
            SetPaletteColor(static_cast<uint8_t>(index), bgr[2], bgr[1], bgr[0]);
        }
    }
    if (kind == kGrey) SetGrayPalette();

    const bool topDown = (h.descriptor & 0x20) != 0;
    TgaRowReader rows(*this, reader, depth, greyAlpha, scratch.data());
    for (uint32_t y = 0; y < h.height; ++y) {
        if (info.escape) return Fail("Cancelled");
        const bool atEnd = knowsSize ? !reader.Has(1) : stream->Eof();
        if (atEnd && !rows.PacketCarried()) return Fail("corrupted TGA");
        const uint32_t row = topDown ? h.height - 1 - y : y;
        uint8_t* bits = GetBits(row);
        if (rle) rows.ReadRle(bits, row, h.width);
        else rows.ReadRaw(bits, row, 0, h.width);
    }
    if (h.descriptor & 0x10) Mirror();  // the alpha plane is mirrored with the pixels
    return true;
}

bool CxImageTGA::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    const uint32_t bpp = GetBpp();
    if (bpp < 8) return Fail("Bit depth must be 8 or 24");
    const uint32_t width = GetWidth(), height = GetHeight();
    if (width > 0xFFFF || height > 0xFFFF) return Fail("Image too large for TGA");
    const bool mapped = bpp == 8;
    const bool withAlpha = !mapped && AlphaIsValid();

    uint8_t header[kHeaderSize] = {};
    header[1] = mapped ? 1 : 0;
    header[2] = mapped ? kMapped : kTrueColor;
    cximage::StoreU16(header + 5, mapped ? 256 : 0);
    header[7] = mapped ? 24 : 0;
    cximage::StoreU16(header + 12, static_cast<uint16_t>(width));
    cximage::StoreU16(header + 14, static_cast<uint16_t>(height));
    header[16] = static_cast<uint8_t>(mapped ? 8 : withAlpha ? 32 : 24);
    if (stream->Write(header, 1, kHeaderSize) != kHeaderSize) return Fail("TGA write failed");

    if (mapped) {
        uint8_t map[256 * 3];
        for (uint32_t i = 0; i < 256; ++i) {
            const CxRgbQuad c = GetPaletteColor(static_cast<uint8_t>(i));
            map[i * 3] = c.rgbBlue;
            map[i * 3 + 1] = c.rgbGreen;
            map[i * 3 + 2] = c.rgbRed;
        }
        if (stream->Write(map, 1, sizeof(map)) != sizeof(map)) return Fail("TGA write failed");
    }

    if (!withAlpha) {
        const size_t rowBytes = size_t{width} * (bpp / 8);
        for (uint32_t y = 0; y < height; ++y)
            if (stream->Write(GetBits(y), 1, rowBytes) != rowBytes) return Fail("TGA write failed");
        return true;
    }
    CxBuffer row(uint64_t{width} * 4);
    if (!row) return Fail("can't allocate memory");
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* d = row.data() + size_t{x} * 4;
            std::memcpy(d, src + size_t{x} * 3, 3);
            d[3] = static_cast<uint8_t>(AlphaGet(x, y) * uint32_t{info.alphaMax} / 255);
        }
        if (stream->Write(row.data(), 1, size_t{width} * 4) != size_t{width} * 4) return Fail("TGA write failed");
    }
    return true;
}
