#include "ximage/codecs/ximage_wbmp.h"

#include <cstdint>

#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"

namespace {

constexpr uint8_t kExtensionFollows = 0x80;  // fixed header: extension headers follow
constexpr int kMaxIntegerBytes = 5;          // 35 bits: enough for any 32-bit value
constexpr uint64_t kMaxDimension = 0x7FFFFFFF;

// A multi-byte integer: seven bits a byte, most significant first, the high
// bit set on every byte but the last. False on end of data or a value above
// kMaxDimension.
bool ReadInteger(CxStreamReader& reader, uint64_t& value) {
    value = 0;
    for (int i = 0; i < kMaxIntegerBytes; ++i) {
        const int c = reader.GetByte();
        if (c < 0) return false;
        value = (value << 7) | static_cast<uint64_t>(c & 0x7F);
        if (value > kMaxDimension) return false;
        if ((c & 0x80) == 0) return true;
    }
    return false;
}

// One integer as bytes; returns how many were written into out.
int StoreInteger(uint8_t* out, uint32_t value) {
    uint8_t groups[kMaxIntegerBytes];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int i = 0; i < count; ++i) {
        const uint8_t more = i + 1 < count ? 0x80 : 0x00;
        out[i] = static_cast<uint8_t>(groups[count - 1 - i] | more);
    }
    return count;
}

// Keeps the bits of the last byte of a row that hold pixels.
uint8_t LastByteMask(uint32_t width) {
    const uint32_t used = width % 8;
    return used == 0 ? uint8_t{0xFF} : static_cast<uint8_t>(0xFF << (8 - used));
}

}  // namespace

bool CxImageWBMP::Decode(CxStream* stream) {
    if (!stream) return false;
    CxStreamReader reader(stream);
    const int type = reader.GetByte();
    const int fixed = reader.GetByte();
    if (type < 0 || fixed < 0) return Fail("Not a WBMP");
    // Type 0 has no extension headers; a file announcing them is another type.
    if (type != 0 || (fixed & kExtensionFollows) != 0) return Fail("Unsupported WBMP type");
    uint64_t width = 0, height = 0;
    if (!ReadInteger(reader, width) || !ReadInteger(reader, height)) return Fail("Not a WBMP");
    if (width == 0 || height == 0) return Fail("Corrupted WBMP");

    // No magic number: the rows must all be there before anything is allocated.
    const uint64_t lineBytes = (width + 7) / 8;
    const uint64_t dataBytes = lineBytes * height;  // both below 2^31: no overflow
    if (!MayHave(reader, dataBytes)) return Fail("Corrupted WBMP");

    if (!Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 1, CXIMAGE_FORMAT_WBMP) || !IsValid())
        return Fail("WBMP Create failed");
    SetGrayPalette();  // two entries: 0 black, 1 white

    const uint8_t mask = LastByteMask(static_cast<uint32_t>(width));
    const auto lines = static_cast<uint32_t>(height);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* row = GetBits(lines - 1 - y);  // storage rows run bottom-up
        if (!reader.Read(row, static_cast<size_t>(lineBytes))) {
            Destroy();
            return Fail("Corrupted WBMP");
        }
        row[lineBytes - 1] &= mask;
    }
    return true;
}

bool CxImageWBMP::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    if (GetBpp() != 1) return Fail("Can't save this image as WBMP");

    uint8_t header[2 + 2 * kMaxIntegerBytes] = {0, 0};
    int used = 2;
    used += StoreInteger(header + used, GetWidth());
    used += StoreInteger(header + used, GetHeight());
    if (stream->Write(header, 1, static_cast<size_t>(used)) != static_cast<size_t>(used))
        return Fail("WBMP write failed");

    // Bits go out as colours: set = the brighter palette entry.
    const bool invert = CompareColors(GetPaletteColor(0), GetPaletteColor(1)) > 0;
    const uint8_t flip = invert ? uint8_t{0xFF} : uint8_t{0x00};
    const uint32_t width = GetWidth();
    const uint32_t lineBytes = (width + 7) / 8;
    const uint8_t mask = LastByteMask(width);
    uint8_t line[4096];
    for (uint32_t y = GetHeight(); y-- > 0;) {
        const uint8_t* row = GetBits(y);
        for (uint32_t done = 0; done < lineBytes;) {
            const uint32_t chunk = lineBytes - done < sizeof(line) ? lineBytes - done : uint32_t{sizeof(line)};
            for (uint32_t i = 0; i < chunk; ++i) line[i] = static_cast<uint8_t>(row[done + i] ^ flip);
            done += chunk;
            if (done == lineBytes) line[chunk - 1] &= mask;
            if (stream->Write(line, 1, chunk) != chunk) return Fail("WBMP write failed");
        }
    }
    return true;
}
