// CxImageGIF: reading. The block scanner, the extensions, the placing of
// decoded rows, the canvas of the first image and the tiled-picture mode.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ximage/codecs/ximage_gif.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageIntroducer = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;

uint32_t TableEntries(uint8_t packed) { return 1u << ((packed & 7) + 1); }

// The 9 bytes after an image separator: position, size and flags.
template <class Descriptor>
bool ReadDescriptor(CxStream* stream, Descriptor& d) {
    uint8_t raw[9];
    if (stream->Read(raw, 1, 9) != 9) return false;
    d = Descriptor{cximage::LoadU16(raw), cximage::LoadU16(raw + 2), cximage::LoadU16(raw + 4),
                   cximage::LoadU16(raw + 6), raw[8]};
    return true;
}

uint32_t DepthForTable(uint32_t entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

// The state a decode keeps from the extensions it has read.
struct ExtensionState {
    int32_t transIndex;
    uint32_t frameDelay;
    int32_t disposalMethod;
    int32_t loopCount;
};

}  // namespace

CxImageGIF::~CxImageGIF() { std::free(ahead.dib); }

bool CxImageGIF::LoadColorTable(CxStream* stream, uint32_t entries, uint8_t rgb[768]) {
    std::memset(rgb, 0, 768);
    return stream->Read(rgb, 1, size_t{entries} * 3) == size_t{entries} * 3;
}

bool CxImageGIF::ReadExtension(CxStream* stream) {
    uint8_t label = 0;
    if (stream->Read(&label, 1, 1) != 1) return false;
    bool ok = true;
    if (label == kGraphicControlLabel) {
        uint8_t size = 0;
        ok = stream->Read(&size, 1, 1) == 1;
        if (ok) {
            uint8_t body[4] = {};
            const size_t got = stream->Read(body, 1, 4);
            // What arrived goes into the record, accepted or not.
            if (got > 0) gce.flags = body[0];
            if (got > 2) gce.delay = cximage::LoadU16(body + 1);
            else if (got > 1) gce.delay = static_cast<uint16_t>((gce.delay & 0xFF00) | body[1]);
            if (got > 3) gce.transIndex = body[3];
            ok = got == size;
            if (ok) {
                if (gce.flags & 1) info.transIndex = gce.transIndex;
                info.frameDelay = gce.delay;
                disposalMethod = (gce.flags >> 2) & 7;
            }
        }
    } else if (label == kCommentLabel) {
        uint8_t size = 0;
        ok = stream->Read(&size, 1, 1) == 1;
        if (ok) {
            const size_t got = stream->Read(comment, 1, size);
            comment[got] = '\0';
            ok = got == size;
        }
    } else if (label == kApplicationLabel) {
        uint8_t size = 0;
        ok = stream->Read(&size, 1, 1) == 1;
        if (ok && size != 11) return false;
        uint8_t identifier[11];
        if (ok) ok = stream->Read(identifier, 1, 11) == 11;
        if (ok) ok = stream->Read(&size, 1, 1) == 1;
        if (ok) {
            uint8_t data[256];
            ok = stream->Read(data, 1, size) == size;
            if (ok && size > 2) loopCount = data[1] + 256 * data[2];
        }
    }
    if (!ok) return false;
    for (;;) {
        uint8_t count = 0;
        if (stream->Read(&count, 1, 1) != 1 || count == 0) break;
        stream->Seek(count, SEEK_CUR);
    }
    return true;
}

int CxImageGIF::DeliverRow(uint8_t* row, int32_t length) {
    const uint32_t width = GetWidth();
    const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(length), width);
    int64_t fromTop;
    if (interlaced) {
        // All four passes are done: data past the last row is dropped.
        if (ipass > 3) return -1;
        fromTop = iypos;
        iypos += istep;
        while (iypos >= iheight) {
            if (ipass > 0) istep /= 2;
            ++ipass;
            iypos = istep / 2;
            if (ipass > 3) break;
        }
    } else {
        if (rowsWritten >= iheight) return -1;
        fromTop = rowsWritten++;
    }
    if (fromTop >= static_cast<int64_t>(GetHeight())) return 0;
    uint8_t* bits = GetBits(static_cast<uint32_t>(GetHeight() - 1 - fromTop));
    if (!bits) return 0;
    const uint32_t bpp = GetBpp();
    if (bpp == 8) {
        std::memcpy(bits, row, count);
    } else if (bpp == 4) {
        for (uint32_t x = 0; x < count; ++x) {
            const uint32_t shift = 4 * (1 - (x & 1));
            bits[x >> 1] = static_cast<uint8_t>((bits[x >> 1] & ~(0x0F << shift)) | ((row[x] & 0x0F) << shift));
        }
    } else if (bpp == 1) {
        for (uint32_t x = 0; x < count; ++x) {
            const uint32_t shift = 7 - (x & 7);
            bits[x >> 3] = static_cast<uint8_t>((bits[x >> 3] & ~(1u << shift)) | ((row[x] & 1u) << shift));
        }
    }
    return 0;
}

void CxImageGIF::Resynchronise(CxStream* stream, int64_t dataStart, int32_t badCodes) {
    if (badCodes == 0) {
        // One past the last byte the code reader took: skips the terminator
        // after the sub-block that held the end code.
        stream->Seek(readPos - validBytes + 1, SEEK_CUR);
        return;
    }
    // Broken data: the next image starts after a zero byte followed by 0x2C.
    stream->Seek64(dataStart, SEEK_SET);
    int previous = -1;
    int64_t position = dataStart;
    for (;;) {
        const size_t got = stream->Read(readAhead, 1, kReadAheadFill);
        if (got == 0) return;  // left at the end
        for (size_t i = 0; i < got; ++i) {
            if (previous == 0 && readAhead[i] == kImageIntroducer) {
                stream->Seek64(position + static_cast<int64_t>(i), SEEK_SET);
                return;
            }
            previous = readAhead[i];
        }
        position += static_cast<int64_t>(got);
    }
}

void CxImageGIF::DecodeImageData(CxStream* stream, bool isInterlaced, uint32_t width, uint32_t height) {
    interlaced = isInterlaced ? 1 : 0;
    iheight = static_cast<int32_t>(height);
    istep = 8;
    iypos = 0;
    ipass = 0;
    rowsWritten = 0;
    readPos = kReadAheadFill;
    validBytes = kReadAheadFill;
    const int64_t dataStart = stream->Tell64();
    int32_t badCodes = 0;
    LzwDecode(stream, static_cast<int32_t>(width), badCodes);
    Resynchronise(stream, dataStart, badCodes);
}

void CxImageGIF::KeepDecodedAhead(int32_t index, int64_t dataStart, const Descriptor& d, uint32_t bpp,
                                  CxStream* stream) {
    if (!dib || info.borrowedFrom) return;
    std::free(ahead.dib);
    ahead.dib = dib;
    ahead.head = head;
    ahead.rowBytes = info.rowBytes;
    ahead.index = index;
    ahead.dataStart = dataStart;
    ahead.dataEnd = stream->Tell64();
    ahead.width = d.width;
    ahead.height = d.height;
    ahead.bpp = bpp;
    ahead.interlaced = (d.flags & 0x40) != 0;
    dib = nullptr;
    info.pixels = nullptr;
    head = CxBitmapInfoHeader{};
}

bool CxImageGIF::TakeDecodedAhead(int32_t index, int64_t dataStart, const Descriptor& d, uint32_t bpp,
                                  CxStream* stream) {
    if (!ahead.dib || ahead.index != index || ahead.dataStart != dataStart || ahead.width != d.width ||
        ahead.height != d.height || ahead.bpp != bpp || ahead.interlaced != ((d.flags & 0x40) != 0))
        return false;
    if (!Destroy()) return false;
    dib = ahead.dib;
    head = ahead.head;
    info.rowBytes = ahead.rowBytes;
    info.format = CXIMAGE_FORMAT_GIF;
    info.pixels = dib + head.biSize + GetPaletteSize();
    info.lastColorValid = false;
    ahead.dib = nullptr;
    stream->Seek64(ahead.dataEnd, SEEK_SET);
    return true;
}

int32_t CxImageGIF::CountFrames(CxStream* stream, uint32_t tableSize, uint32_t screenWidth, uint32_t screenHeight) {
    const int64_t start = stream->Tell64();
    // Counting reads the extensions of the whole file; what they set belongs
    // to the images they precede, so the decode starts again from here.
    const GraphicControl savedGce = gce;
    const ExtensionState saved{info.transIndex, info.frameDelay, disposalMethod, loopCount};
    char savedComment[sizeof comment];
    std::memcpy(savedComment, comment, sizeof comment);

    int32_t count = 0;
    bool previousZero = true;
    uint8_t ch = 0;
    while (stream->Read(&ch, 1, 1) == 1) {
        if (!previousZero && ch != 0) continue;
        if (ch == kExtensionIntroducer) {
            ReadExtension(stream);
            continue;
        }
        if (ch == kTrailer) break;
        if (ch != kImageIntroducer) {
            previousZero = ch == 0;
            continue;
        }
        Descriptor d;
        if (!ReadDescriptor(stream, d)) break;
        if (d.left + d.width > screenWidth || d.top + d.height > screenHeight) continue;
        const int32_t index = count++;
        uint32_t entries = tableSize;
        if (d.flags & 0x80) {
            entries = TableEntries(d.flags);
            stream->Seek(static_cast<int32_t>(entries * 3), SEEK_CUR);
        }
        const uint32_t bpp = DepthForTable(entries);
        Create(d.width, d.height, bpp, CXIMAGE_FORMAT_GIF);
        const int64_t dataStart = stream->Tell64();
        DecodeImageData(stream, (d.flags & 0x40) != 0, d.width, d.height);
        if (index == info.frame) KeepDecodedAhead(index, dataStart, d, bpp, stream);
    }
    stream->Seek64(start, SEEK_SET);

    gce = savedGce;
    info.transIndex = saved.transIndex;
    info.frameDelay = saved.frameDelay;
    disposalMethod = saved.disposalMethod;
    loopCount = saved.loopCount;
    std::memcpy(comment, savedComment, sizeof comment);
    return count;
}

bool CxImageGIF::Decode(CxStream* stream) {
    if (!stream) return false;
    uint8_t header[13];
    if (stream->Read(header, 1, sizeof header) != sizeof header) return false;
    if (std::memcmp(header, "GIF8", 4) != 0) return false;
    const uint32_t screenWidth = cximage::LoadU16(header + 6);
    const uint32_t screenHeight = cximage::LoadU16(header + 8);
    const uint8_t screenFlags = header[10];
    if (info.escape == -1) {
        head.biWidth = static_cast<int32_t>(screenWidth);
        head.biHeight = static_cast<int32_t>(screenHeight);
        return true;
    }

    const uint32_t globalEntries = TableEntries(screenFlags);
    const bool hasGlobal = (screenFlags & 0x80) != 0;
    uint8_t globalRgb[768];
    std::memset(globalRgb, 0, sizeof globalRgb);
    int tiledPoints = 0;
    if (hasGlobal) LoadColorTable(stream, globalEntries, globalRgb);
    else ++tiledPoints;

    info.numFrames = CountFrames(stream, globalEntries, screenWidth, screenHeight);
    if (info.frame < 0 || info.frame >= info.numFrames) return false;
    if (info.numFrames == 1) tiledPoints = 0;
    const int32_t requestedFrame = info.frame;

    CxImage canvas;
    CxImage tiled;
    int32_t firstTransIndex = -1;
    int32_t previousDisposal = (gce.flags >> 2) & 7;
    int32_t imageNumber = 0;
    bool decodedAny = false;
    bool previousZero = true;
    uint8_t ch = 0;
    uint8_t localRgb[768];
    while (stream->Read(&ch, 1, 1) == 1) {
        if (!previousZero && ch != 0) continue;
        if (info.escape > 0) return false;
        if (ch == kExtensionIntroducer) {
            if (!ReadExtension(stream)) break;
            continue;
        }
        if (ch == kTrailer) break;
        if (ch != kImageIntroducer) {
            previousZero = ch == 0;
            continue;
        }

        Descriptor d;
        if (!ReadDescriptor(stream, d)) break;
        if (d.left + d.width > screenWidth || d.top + d.height > screenHeight) continue;
        // A picture split into tiles: its first tile is narrower or lower
        // than the screen (and the file has no global table).
        if (!decodedAny && (d.width != screenWidth || d.height != screenHeight)) ++tiledPoints;

        uint32_t entries = globalEntries;
        const uint8_t* rgb = hasGlobal ? globalRgb : nullptr;
        if (d.flags & 0x80) {
            entries = TableEntries(d.flags);
            LoadColorTable(stream, entries, localRgb);
            rgb = localRgb;
        }
        const uint32_t bpp = DepthForTable(entries);
        const bool isTiled = tiledPoints >= 2;

        // The canvas: the screen, filled with the graphic control's
        // transparent index, then the earlier images as disposed of.
        bool wholeScreen = false;
        if (!isTiled) {
            if (!decodedAny) {
                firstTransIndex = info.transIndex;
                // An image that covers the screen and has no pixels the canvas
                // would show through is its own canvas.
                wholeScreen = d.left == 0 && d.top == 0 && d.width == screenWidth && d.height == screenHeight &&
                              (info.transIndex < 0 || info.transIndex > 255 || info.transIndex == gce.transIndex);
                if (!wholeScreen) {
                    canvas.CopyOptions(*this);
                    if (!canvas.Create(screenWidth, screenHeight, bpp, CXIMAGE_FORMAT_GIF))
                        return Fail(canvas.GetLastError());
                    canvas.Clear(gce.transIndex);
                }
            } else {
                canvas.Copy(*this);
                if (!canvas.IsValid()) return Fail(canvas.GetLastError());
                if (previousDisposal == 2) canvas.Clear(static_cast<uint8_t>(firstTransIndex));
            }
        }

        const int64_t dataStart = stream->Tell64();
        if (!TakeDecodedAhead(imageNumber, dataStart, d, bpp, stream)) {
            Create(d.width, d.height, bpp, CXIMAGE_FORMAT_GIF);
            DecodeImageData(stream, (d.flags & 0x40) != 0, d.width, d.height);
        }
        if (rgb) {
            uint8_t red[256], green[256], blue[256];
            std::fill(std::begin(red), std::end(red), 255);
            std::fill(std::begin(green), std::end(green), 255);
            std::fill(std::begin(blue), std::end(blue), 255);
            for (uint32_t i = 0; i < entries; ++i) {
                red[i] = rgb[3 * i];
                green[i] = rgb[3 * i + 1];
                blue[i] = rgb[3 * i + 2];
            }
            SetPaletteArrays(info.transIndex != -1 ? 256 : entries, red, green, blue);
        }
        if (info.escape != 0) return false;

        if (!isTiled) {
            if (!wholeScreen) {
                if (IsValid()) {
                    for (uint32_t y = 0; y < d.height; ++y) {
                        const int64_t canvasRow = int64_t{screenHeight} - 1 - (d.top + y);
                        const uint32_t imageRow = d.height - 1 - y;
                        if (bpp == 8 && canvas.GetBpp() == 8) {
                            const uint8_t* from = GetBits(imageRow);
                            uint8_t* to = canvas.GetBits(static_cast<uint32_t>(canvasRow)) + d.left;
                            for (uint32_t x = 0; x < d.width; ++x)
                                if (from[x] != info.transIndex) to[x] = from[x];
                        } else {
                            for (uint32_t x = 0; x < d.width; ++x) {
                                const uint8_t index = GetPixelIndexUnchecked(x, imageRow);
                                if (index != info.transIndex) canvas.SetPixelIndex(d.left + x, canvasRow, index);
                            }
                        }
                    }
                }
                canvas.SetTransIndex(firstTransIndex);
                // 256 entries asked for, as many as this image has.
                canvas.SetPalette(GetPalette(), std::min<uint32_t>(256, GetNumColors()));
                if (!TakeOver(canvas)) return false;
            } else {
                info.transIndex = firstTransIndex;
            }
        } else {
            info.frame = info.numFrames - 1;
            if (!tiled.IsValid()) {
                tiled.CopyOptions(*this);
                if (!tiled.Create(screenWidth, screenHeight, 24, CXIMAGE_FORMAT_GIF)) return Fail(tiled.GetLastError());
            }
            if (IsValid()) {
                const CxRgbQuad* palette = GetPalette();
                for (uint32_t y = 0; y < d.height; ++y) {
                    uint8_t* to = tiled.GetBits(screenHeight - 1 - (d.top + y)) + size_t{d.left} * 3;
                    for (uint32_t x = 0; x < d.width; ++x) {
                        const CxRgbQuad c = palette[GetPixelIndexUnchecked(x, d.height - 1 - y)];
                        to[3 * x] = c.rgbBlue;
                        to[3 * x + 1] = c.rgbGreen;
                        to[3 * x + 2] = c.rgbRed;
                    }
                }
            }
        }
        decodedAny = true;
        previousDisposal = (gce.flags >> 2) & 7;
        if (imageNumber == info.frame) break;
        ++imageNumber;
    }
    // Nothing decoded (an extension broke the scan before the first image)
    // or no block to show: no picture.
    if (!decodedAny || (!tiled.IsValid() && !IsValid())) return false;

    if (tiled.IsValid()) {
        if (gce.flags & 1) {
            tiled.SetTransColor(GetPaletteColor(static_cast<uint8_t>(info.transIndex & 0xFF)));
            tiled.SetTransIndex(0);
        } else {
            tiled.SetTransIndex(-1);
        }
        tiled.SetFrame(requestedFrame);
        tiled.SetNumFrames(info.numFrames);
        if (!TakeOver(tiled)) return false;
    }
    return true;
}
