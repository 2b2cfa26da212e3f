// CxExifReader: the marker scan ahead of a JPEG picture and the EXIF
// directory walk that supplies the resolution. Offsets inside the EXIF data
// are checked against the segment in 64 bits before every access.
#include <cstdint>
#include <cstring>
#include <memory>

#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_allocation.h"

namespace {

constexpr int kMaxSections = 20;
constexpr int kMaxFillBytes = 6;
constexpr int kMaxDirectories = 16;  // links that loop or nest deeply end here
constexpr int kMaxDepth = 6;

constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint16_t kTagResolutionUnit = 296;
constexpr uint16_t kTagMake = 271;
constexpr uint16_t kTagModel = 272;
constexpr uint16_t kTagOrientation = 274;
constexpr uint16_t kTagDateTime = 306;
constexpr uint16_t kTagExifOffset = 34665;
constexpr uint16_t kTagInteropOffset = 40965;

// Bytes per component of the TIFF field types 1..12.
constexpr uint32_t kFormatBytes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

bool IsFrameMarker(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

uint16_t Get16(const uint8_t* p, bool motorola) {
    return motorola ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p, bool motorola) {
    return motorola ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]
                    : (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// A numeric field as a double; rationals with a zero denominator give 0.
double NumberOf(const uint8_t* value, uint32_t format, bool motorola) {
    switch (format) {
    case 1: case 7: return value[0];
    case 6: return static_cast<int8_t>(value[0]);
    case 3: return Get16(value, motorola);
    case 8: return static_cast<int16_t>(Get16(value, motorola));
    case 4: return Get32(value, motorola);
    case 9: return static_cast<int32_t>(Get32(value, motorola));
    case 5: {
        const uint32_t den = Get32(value + 4, motorola);
        return den == 0 ? 0.0 : static_cast<double>(Get32(value, motorola)) / den;
    }
    case 10: {
        const auto den = static_cast<int32_t>(Get32(value + 4, motorola));
        return den == 0 ? 0.0 : static_cast<double>(static_cast<int32_t>(Get32(value, motorola))) / den;
    }
    case 11: {
        const uint32_t bits = Get32(value, motorola);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    default: return 0;  // DOUBLE and text: not used for numbers here
    }
}

// Text fields are copied cut to the target and always terminated.
void CopyText(char* target, size_t targetSize, const uint8_t* value, uint64_t length) {
    const size_t count = length < targetSize - 1 ? static_cast<size_t>(length) : targetSize - 1;
    std::memcpy(target, value, count);
    target[count] = '\0';
}

// A resolution kept as a float; values a float cannot hold count as absent.
float ResolutionOf(double value) { return value > 0 && value < 1e9 ? static_cast<float>(value) : 0.0f; }

// A field as a whole number; 0 for a value no int32_t holds (a huge or
// not-a-number value from a broken file would make the conversion undefined).
int32_t WholeNumberOf(double value) {
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<int32_t>(value) : 0;
}

}  // namespace

bool CxExifReader::Fail(const char* text) {
    lastError = text;
    return false;
}

bool CxExifReader::DecodeExif(CxStream* stream) {
    if (!stream || !exif) return Fail("No stream");
    if (stream->GetC() != 0xFF || stream->GetC() != 0xD8) return Fail("Not a JPEG file");
    for (int section = 0; section < kMaxSections; ++section) {
        int fill = 0;
        int marker = 0;
        for (;;) {
            marker = stream->GetC();
            if (marker != 0xFF) break;
            if (++fill > kMaxFillBytes) return Fail("too many padding bytes");
        }
        if (marker < 0) return Fail("Premature end of file?");
        const int high = stream->GetC();
        const int low = stream->GetC();
        if (high < 0 || low < 0) return Fail("Premature end of file?");
        const uint32_t length = (static_cast<uint32_t>(high) << 8) | static_cast<uint32_t>(low);
        if (length < 2) return Fail("invalid marker");
        const uint32_t bodyLength = length - 2;
        std::unique_ptr<uint8_t[]> body(cximage::NewArray<uint8_t>(size_t{bodyLength} + 1));
        if (!body) return Fail("Could not allocate memory");
        if (stream->Read(body.get(), 1, bodyLength) != bodyLength) return Fail("Premature end of file?");

        if (IsFrameMarker(marker)) {
            if (bodyLength >= 6) {
                exif->frameMarker = static_cast<uint8_t>(marker);
                exif->frameHeight = Get16(body.get() + 1, true);
                exif->frameWidth = Get16(body.get() + 3, true);
                exif->frameComponents = body[5];
            }
            continue;
        }
        switch (marker) {
        case 0xD9: return Fail("End of image before picture data");
        case 0xDA: return true;
        case 0xE1:
            if (bodyLength >= 4 && std::memcmp(body.get(), "Exif", 4) == 0)
                exif->isExif = ProcessExif(body.get(), bodyLength);
            break;
        case 0xFE:
            if (exif->comment[0] == '\0') CopyText(exif->comment, sizeof exif->comment, body.get(), bodyLength);
            break;
        default: break;  // APP0, other APP1 and the rest: nothing to keep
        }
    }
    return Fail("Too many sections in jpg file");
}

bool CxExifReader::ProcessExif(const uint8_t* data, uint32_t length) {
    if (length < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) return Fail("Incorrect Exif header");
    const uint8_t* tiff = data + 6;
    const uint32_t tiffLength = length - 6;
    if (tiffLength < 8) return Fail("Invalid Exif alignment marker.");
    if (tiff[0] == 'I' && tiff[1] == 'I') motorola = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M') motorola = true;
    else return Fail("Invalid Exif alignment marker.");
    if (Get16(tiff + 2, motorola) != 42) return Fail("Invalid Exif start (1)");
    const uint32_t first = Get32(tiff + 4, motorola);
    if (first < 8 || uint64_t{first} + 2 > tiffLength) return Fail("Invalid Exif start (1)");
    directories = 0;
    return ProcessDir(tiff + first, tiff, tiffLength, 0, true);
}

bool CxExifReader::ProcessDir(const uint8_t* dir, const uint8_t* tiff, uint32_t tiffLength, int depth,
                              bool primary) {
    if (depth > kMaxDepth || ++directories > kMaxDirectories) return Fail("Illegal subdirectory link");
    const uint64_t dirOffset = static_cast<uint64_t>(dir - tiff);
    if (dirOffset + 2 > tiffLength) return Fail("Illegally sized directory");
    const uint32_t entries = Get16(dir, motorola);
    if (dirOffset + 2 + uint64_t{entries} * 12 > tiffLength) return Fail("Illegally sized directory");

    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* entry = dir + 2 + i * 12;
        const uint16_t tag = Get16(entry, motorola);
        const uint16_t format = Get16(entry + 2, motorola);
        const uint32_t components = Get32(entry + 4, motorola);
        if (format < 1 || format > 12) return Fail("Illegal format code in EXIF dir");
        const uint64_t byteCount = uint64_t{components} * kFormatBytes[format];
        const uint8_t* value = entry + 8;
        if (byteCount > 4) {
            const uint32_t offset = Get32(entry + 8, motorola);
            if (uint64_t{offset} + byteCount > tiffLength) return Fail("Illegal pointer offset value in EXIF.");
            value = tiff + offset;
        }
        // The directories after the first describe the thumbnail: its
        // resolution and fields are not the picture's.
        const bool numeric = primary && components > 0 && format != 2 && format != 12;
        if (!primary && tag != kTagExifOffset && tag != kTagInteropOffset) continue;
        switch (tag) {
        case kTagXResolution:
            if (numeric) exif->xResolution = ResolutionOf(NumberOf(value, format, motorola));
            break;
        case kTagYResolution:
            if (numeric) exif->yResolution = ResolutionOf(NumberOf(value, format, motorola));
            break;
        case kTagResolutionUnit:
            if (numeric) {
                switch (WholeNumberOf(NumberOf(value, format, motorola))) {
                case 1: case 2: exif->resolutionUnit = 1.0f; break;
                case 3: exif->resolutionUnit = 0.3937008f; break;
                case 4: exif->resolutionUnit = 0.03937008f; break;
                case 5: exif->resolutionUnit = 0.00003937008f; break;
                default: break;
                }
            }
            break;
        case kTagOrientation:
            if (numeric) exif->orientation = WholeNumberOf(NumberOf(value, format, motorola));
            break;
        case kTagMake: CopyText(exif->cameraMake, sizeof exif->cameraMake, value, byteCount); break;
        case kTagModel: CopyText(exif->cameraModel, sizeof exif->cameraModel, value, byteCount); break;
        case kTagDateTime: CopyText(exif->dateTime, sizeof exif->dateTime, value, byteCount); break;
        case kTagExifOffset:
        case kTagInteropOffset: {
            if (format != 4) break;  // an offset is a LONG; anything else is not a link
            const uint32_t sub = Get32(entry + 8, motorola);
            if (sub < 8 || uint64_t{sub} + 2 > tiffLength) return Fail("Illegal subdirectory link");
            if (!ProcessDir(tiff + sub, tiff, tiffLength, depth + 1, primary)) return false;
            break;
        }
        default: break;
        }
    }

    // The link after the last entry: the next directory (the thumbnail's).
    const uint64_t linkOffset = dirOffset + 2 + uint64_t{entries} * 12;
    if (linkOffset + 4 <= tiffLength) {
        const uint32_t next = Get32(tiff + linkOffset, motorola);
        if (next > 8) {
            if (uint64_t{next} + 2 > tiffLength) return Fail("Illegal subdirectory link");
            if (!ProcessDir(tiff + next, tiff, tiffLength, depth + 1, false)) return false;
        }
    }
    return true;
}
