// CxImageGIF: reading. The extensions, the frame count, the canvas of the
// first image and the tiled-picture mode; the blocks are walked by
// CxGifBlockScanner and each image's data decoded by CxGifLzwDecoder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "ximage/codecs/ximage_gif.h"
#include "ximage/codecs/ximage_gif_blocks.h"
#include "ximage/codecs/ximage_gif_lzw.h"
#include "ximage/codecs/ximage_gif_mosaic.h"
#include "ximage/codecs/ximage_gif_read_ahead.h"
#include "ximage/codecs/ximage_gif_rows.h"
#include "ximage/dib/ximage_bytes.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_stream_reader.h"

namespace {

constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;

uint32_t DepthForTable(uint32_t entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

// Whether Create can make a picture of the screen's size at this depth, as
// the canvas (or the first image covering the screen) must be.
bool ScreenFits(uint32_t width, uint32_t height, uint32_t bpp) {
    uint64_t bytes = 0;
    return width != 0 && height != 0 && cximage::ProductWithin({width, height}, CXIMAGE_MAX_MEMORY, bytes) &&
           cximage::ProductWithin({cximage::DibRowBytes(width, bpp), height}, CXIMAGE_MAX_MEMORY, bytes);
}

// Frees a pixel block the way CxImage allocates it.
struct FreeBlock {
    void operator()(uint8_t* block) const { std::free(block); }
};

// The state a decode keeps from the extensions it has read.
struct ExtensionState {
    int32_t transIndex;
    uint32_t frameDelay;
    int32_t disposalMethod;
    int32_t loopCount;
};

void SkipSubBlocks(CxStreamReader& reader) {
    for (;;) {
        uint8_t count = 0;
        if (!reader.U8(count) || count == 0) break;
        SeekForward(reader, count);
    }
}

// The palette from a colour table; with a transparent index the entries
// past the table are white and all 256 are set.
void SetTablePalette(CxImage& image, const uint8_t* rgb, uint32_t entries) {
    uint8_t red[256], green[256], blue[256];
    std::fill(std::begin(red), std::end(red), 255);
    std::fill(std::begin(green), std::end(green), 255);
    std::fill(std::begin(blue), std::end(blue), 255);
    for (uint32_t i = 0; i < entries; ++i) {
        red[i] = rgb[3 * i];
        green[i] = rgb[3 * i + 1];
        blue[i] = rgb[3 * i + 2];
    }
    image.SetPaletteArrays(image.GetTransIndex() != -1 ? 256 : entries, red, green, blue);
}

// Copies every pixel of image that is not its transparent index onto the
// canvas at the descriptor's place (pixels outside the canvas are dropped).
void DrawOnCanvas(const CxImage& image, CxImage& canvas, const CxGifDescriptor& d, uint32_t bpp,
                  uint32_t screenHeight) {
    const int32_t transIndex = image.GetTransIndex();
    for (uint32_t y = 0; y < d.height; ++y) {
        const int64_t canvasRow = int64_t{screenHeight} - 1 - (d.top + y);
        const uint32_t imageRow = d.height - 1 - y;
        if (bpp == 8 && canvas.GetBpp() == 8) {
            const uint8_t* from = image.GetBits(imageRow);
            uint8_t* to = canvas.GetBits(static_cast<uint32_t>(canvasRow)) + d.left;
            for (uint32_t x = 0; x < d.width; ++x)
                if (from[x] != transIndex) to[x] = from[x];
        } else {
            for (uint32_t x = 0; x < d.width; ++x) {
                const uint8_t index = image.GetPixelIndexUnchecked(x, imageRow);
                if (index != transIndex) canvas.SetPixelIndex(d.left + x, canvasRow, index);
            }
        }
    }
}

// Draws every pixel of image in its palette colour onto the 24-bit picture
// of a tiled file.
void DrawTile(const CxImage& image, CxImage& tiled, const CxGifDescriptor& d, uint32_t screenHeight) {
    const CxRgbQuad* palette = image.GetPalette();
    for (uint32_t y = 0; y < d.height; ++y) {
        uint8_t* to = tiled.GetBits(screenHeight - 1 - (d.top + y)) + size_t{d.left} * 3;
        for (uint32_t x = 0; x < d.width; ++x) {
            const CxRgbQuad c = palette[image.GetPixelIndexUnchecked(x, d.height - 1 - y)];
            to[3 * x] = c.rgbBlue;
            to[3 * x + 1] = c.rgbGreen;
            to[3 * x + 2] = c.rgbRed;
        }
    }
}

}  // namespace

// Which image of the file a decoded picture is, and how it was decoded.
struct CxImageGIF::ImageKey {
    int32_t index = -1;
    int64_t dataStart = -1;
    uint32_t width = 0, height = 0, bpp = 0;
    bool interlaced = false;

    ImageKey() = default;
    ImageKey(int32_t number, int64_t start, const CxGifDescriptor& d, uint32_t depth)
        : index(number), dataStart(start), width(d.width), height(d.height), bpp(depth),
          interlaced(d.Interlaced()) {}
    bool operator==(const ImageKey&) const = default;
};

struct CxImageGIF::DecodeRun {
    explicit DecodeRun(CxStreamReader& from) : reader(from), data(from) {}

    CxStreamReader& reader;
    CxGifReadAhead data;
    CxGifLzwDecoder lzw;
    // What CountFrames saw: whether the screen can be made at the first
    // image's depth, and whether the images are laid out as the encoder
    // lays out the tiles of a mosaic of the screen.
    bool screenFits = true;
    bool mosaic = false;
    // The image CountFrames decoded for `frame`: the scan takes its block
    // instead of decoding the same bytes a second time.
    struct {
        std::unique_ptr<uint8_t, FreeBlock> dib;
        CxBitmapInfoHeader head;
        uint32_t rowBytes = 0;
        ImageKey key;
        int64_t dataEnd = -1;
    } ahead;
};

bool CxImageGIF::ReadExtension(CxStreamReader& reader) {
    uint8_t label = 0;
    if (!reader.U8(label)) return false;
    bool ok = true;
    if (label == kGraphicControlLabel) {
        uint8_t size = 0;
        ok = reader.U8(size);
        if (ok) {
            uint8_t body[4] = {};
            const size_t got = reader.ReadOrZero(body, 4);
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
        ok = reader.U8(size);
        if (ok) {
            const size_t got = reader.ReadOrZero(comment, size);
            comment[got] = '\0';
            ok = got == size;
        }
    } else if (label == kApplicationLabel) {
        uint8_t size = 0;
        ok = reader.U8(size);
        if (ok && size != 11) return false;
        uint8_t identifier[11];
        if (ok) ok = reader.Read(identifier, sizeof identifier);
        if (ok) ok = reader.U8(size);
        if (ok) {
            uint8_t data[256];
            ok = reader.Read(data, size);
            if (ok && size > 2) loopCount = data[1] + 256 * data[2];
        }
    }
    if (!ok) return false;
    SkipSubBlocks(reader);
    return true;
}

bool CxImageGIF::DecodeImageData(DecodeRun& run, const CxGifDescriptor& d) {
    CxGifRowPlacer rows(*this, d.height, d.Interlaced());
    run.data.Start();
    const int16_t result = run.lzw.Decode(run.data, static_cast<int32_t>(d.width), rows);
    run.data.Finish(run.lzw.BadCodes() != 0);
    // Rows of a picture that could be had, lost for want of a row buffer:
    // a blank picture must not pass for the decoded one.
    return !(result == CxGifLzwDecoder::kNoRowBuffer && d.width != 0 && IsValid());
}

// A picture that fits the cap and still could not be made: memory ran out.
bool CxImageGIF::CreateOrRunOut(const CxGifDescriptor& d, uint32_t bpp) {
    return Create(d.width, d.height, bpp, CXIMAGE_FORMAT_GIF) || !ScreenFits(d.width, d.height, bpp);
}

bool CxImageGIF::FailLike(const CxImage& other) {
    SetLastErrorText(other.GetLastError());
    return false;
}

void CxImageGIF::KeepDecodedAhead(DecodeRun& run, const ImageKey& key) {
    if (!dib || info.borrowedFrom) return;
    run.ahead.dib.reset(std::exchange(dib, nullptr));
    run.ahead.head = std::exchange(head, CxBitmapInfoHeader{});
    run.ahead.rowBytes = info.rowBytes;
    run.ahead.key = key;
    run.ahead.dataEnd = run.reader.Position();
    info.pixels = nullptr;
}

bool CxImageGIF::TakeDecodedAhead(DecodeRun& run, const ImageKey& key) {
    if (!run.ahead.dib || run.ahead.key != key) return false;
    if (!Destroy()) return false;
    dib = run.ahead.dib.release();
    head = run.ahead.head;
    info.rowBytes = run.ahead.rowBytes;
    info.format = CXIMAGE_FORMAT_GIF;
    info.pixels = dib + head.biSize + GetPaletteSize();
    info.lastColorValid = false;
    // Where the first decode left the stream, which may lie past the end.
    run.reader.Stream()->Seek64(run.ahead.dataEnd, SEEK_SET);
    return true;
}

int32_t CxImageGIF::CountFrames(DecodeRun& run, uint32_t tableSize, uint32_t screenWidth, uint32_t screenHeight) {
    CxStreamReader& reader = run.reader;
    const int64_t start = reader.Position();
    // Counting reads the extensions of the whole file; what they set belongs
    // to the images they precede, so the decode starts again from here.
    const GraphicControl savedGce = gce;
    const ExtensionState saved{info.transIndex, info.frameDelay, disposalMethod, loopCount};
    char savedComment[sizeof comment];
    std::memcpy(savedComment, comment, sizeof comment);

    int32_t count = 0;
    bool tilesInOrder = true;
    CxGifBlockScanner blocks(reader, screenWidth, screenHeight);
    CxGifDescriptor d;
    for (auto block = blocks.Next(d); block != CxGifBlockScanner::Block::End; block = blocks.Next(d)) {
        if (block == CxGifBlockScanner::Block::Extension) {
            ReadExtension(reader);
            continue;
        }
        const int32_t index = count++;
        uint32_t entries = tableSize;
        if (d.HasLocalTable()) {
            entries = CxGifTableEntries(d.flags);
            SeekForward(reader, uint64_t{entries} * 3);
        }
        const uint32_t bpp = DepthForTable(entries);
        // No picture can be made: decoding the data would be in vain.
        if (index == 0 && !ScreenFits(screenWidth, screenHeight, bpp)) {
            run.screenFits = false;
            break;
        }
        tilesInOrder = tilesInOrder && CxGifIsMosaicTile(static_cast<uint64_t>(index), d, screenWidth, screenHeight);
        const ImageKey key(index, reader.Position(), d, bpp);
        // A frame that ran out of memory here is decoded again, and judged, later.
        const bool whole = CreateOrRunOut(d, bpp) && DecodeImageData(run, d);
        if (index == info.frame && whole) KeepDecodedAhead(run, key);
    }
    reader.SeekTo(start);
    run.mosaic = tilesInOrder && static_cast<uint64_t>(count) == CxGifMosaicTiles(screenWidth, screenHeight);

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
    CxStreamReader reader(stream);
    uint8_t header[13];
    if (!reader.Read(header, sizeof header)) return false;
    if (std::memcmp(header, "GIF8", 4) != 0) return false;
    const uint32_t screenWidth = cximage::LoadU16(header + 6);
    const uint32_t screenHeight = cximage::LoadU16(header + 8);
    const uint8_t screenFlags = header[10];
    if (info.escape == -1) {
        head.biWidth = static_cast<int32_t>(screenWidth);
        head.biHeight = static_cast<int32_t>(screenHeight);
        return true;
    }

    const uint32_t globalEntries = CxGifTableEntries(screenFlags);
    const bool hasGlobal = (screenFlags & 0x80) != 0;
    uint8_t globalRgb[768] = {};
    int tiledPoints = 0;
    if (hasGlobal) reader.ReadOrZero(globalRgb, size_t{globalEntries} * 3);
    else ++tiledPoints;

    DecodeRun run(reader);
    info.numFrames = CountFrames(run, globalEntries, screenWidth, screenHeight);
    if (!run.screenFits) return false;
    if (info.frame < 0 || info.frame >= info.numFrames) return false;
    if (info.numFrames == 1) tiledPoints = 0;
    const int32_t requestedFrame = info.frame;

    CxImage canvas;
    CxImage tiled;
    int32_t firstTransIndex = -1;
    int32_t previousDisposal = (gce.flags >> 2) & 7;
    int32_t imageNumber = 0;
    bool decodedAny = false;
    uint8_t localRgb[768] = {};
    CxGifBlockScanner blocks(reader, screenWidth, screenHeight, &info.escape);
    CxGifDescriptor d;
    for (auto block = blocks.Next(d); block != CxGifBlockScanner::Block::End; block = blocks.Next(d)) {
        if (block == CxGifBlockScanner::Block::Stopped) return false;
        if (block == CxGifBlockScanner::Block::Extension) {
            if (!ReadExtension(reader)) break;
            continue;
        }
        // A picture split into tiles (and the file has no global table): its
        // first tile is narrower and lower than the screen, or the images
        // are our own mosaic of a picture 17 wide or 15 high at most. A
        // first image as wide or as high as the screen is otherwise a frame.
        if (!decodedAny && ((d.width != screenWidth && d.height != screenHeight) || run.mosaic)) ++tiledPoints;

        uint32_t entries = globalEntries;
        const uint8_t* rgb = hasGlobal ? globalRgb : nullptr;
        if (d.HasLocalTable()) {
            entries = CxGifTableEntries(d.flags);
            reader.ReadOrZero(localRgb, size_t{entries} * 3);
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
                    if (!canvas.Create(screenWidth, screenHeight, bpp, CXIMAGE_FORMAT_GIF)) return FailLike(canvas);
                    canvas.Clear(gce.transIndex);
                }
            } else {
                canvas.Copy(*this);
                if (!canvas.IsValid()) return FailLike(canvas);
                if (previousDisposal == 2) canvas.Clear(static_cast<uint8_t>(firstTransIndex));
            }
        }

        if (!TakeDecodedAhead(run, ImageKey(imageNumber, reader.Position(), d, bpp))) {
            if (!CreateOrRunOut(d, bpp)) return false;  // Create's text stays
            if (!DecodeImageData(run, d)) {
                SetLastErrorText("Can't allocate memory");
                return false;
            }
        }
        if (rgb) SetTablePalette(*this, rgb, entries);
        if (info.escape != 0) return false;

        if (!isTiled) {
            if (!wholeScreen) {
                if (IsValid()) DrawOnCanvas(*this, canvas, d, bpp, screenHeight);
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
                if (!tiled.Create(screenWidth, screenHeight, 24, CXIMAGE_FORMAT_GIF)) return FailLike(tiled);
            }
            if (IsValid()) DrawTile(*this, tiled, d, screenHeight);
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
