#pragma once
// CxImage: the in-memory bitmap of the image library.
//
// An image holds one device-independent bitmap block, laid out exactly as the
// clipboard's CF_DIB carries it: a 40-byte bitmap info header, the palette
// (2, 16 or 256 four-byte entries for 1, 4 and 8 bits, none for 24) and the
// pixel rows, bottom-up (row 0 is the bottom row), each padded to 4 bytes.
// Only depths 1, 4, 8 and 24 exist inside an image. Beside the block it keeps
// an info record (format, last error text, transparency, resolution, codec
// options...) and optional alpha and selection planes of width x height bytes.
//
// Failures are reported by result (false or null) and by a text of at most
// 255 characters in lastError; no exception leaves an image operation.
// Pixel and palette accessors never fail: outside the image or on an empty
// image they read defaults and write nothing.
//
// Every codec is a class derived from CxImage that adds Decode(stream) and
// Encode(stream); callers use Load/Save/Decode/Encode below, which pick the
// codec by format identifier (ximage_formats.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/global_memory.h"
#include "ximage/toolkit/cx_checked.h"  // CXIMAGE_MAX_MEMORY
#include "ximage/ximage_formats.h"

class CxStream;


// A palette entry or colour: blue, green, red, reserved (alpha).
struct CxRgbQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    bool operator==(const CxRgbQuad&) const = default;
};
static_assert(sizeof(CxRgbQuad) == 4);

// The Windows BITMAPINFOHEADER. Kept as a record and written to (or read from)
// the block byte by byte, little-endian (ximage_bytes.h).
struct CxBitmapInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
inline constexpr uint32_t kCxInfoHeaderSize = 40;

class CxImage;

// Descriptive and option fields, copied as one unit by Copy, TakeOver,
// BorrowFrom and CopyOptions.
struct CxImageInfo {
    uint32_t rowBytes = 0;           // bytes per pixel row, padding included
    uint8_t* pixels = nullptr;       // row 0 inside the block
    CxImage* borrowedFrom = nullptr; // set: this image is a view that owns nothing
    uint32_t format = 0;             // CXIMAGE_FORMAT_...
    char lastError[256] = {};        // text of the last failure
    int32_t progress = 0;            // percentage of a rotation done
    int32_t escape = 0;              // nonzero stops a running codec; -1 asks for dimensions only
    int32_t transIndex = -1;         // transparent palette index, -1 none
    CxRgbQuad transColor;            // transparent or background colour
    uint8_t quality = 90;            // encoder quality (JPEG)
    uint8_t jpegScale = 0;           // JPEG decoding scale
    int32_t frame = 0;               // frame, page or icon to decode
    int32_t numFrames = 0;           // frames found by the last decode
    uint32_t frameDelay = 0;         // GIF frame delay
    int32_t xDpi = 96;
    int32_t yDpi = 96;
    struct Box {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    } selectionBox;
    uint8_t alphaMax = 255;          // maximum opacity (TGA and PNG encoders)
    bool alphaPaletteEnabled = false;
    int32_t xOffset = 0;
    int32_t yOffset = 0;
    uint32_t codecOptions[CXIMAGE_MAX_FORMAT + 1] = {};  // one option word per format identifier
    CxRgbQuad lastColor;             // nearest-colour cache: last colour searched...
    uint8_t lastColorIndex = 0;      // ...its result...
    bool lastColorValid = false;     // ...and whether the cache holds one
    int32_t numLayers = 0;
};

// Luminance difference of two colours, (g*601 + r*306 + b*117) >> 10 each;
// usable as a sort comparator for palette entries.
int CompareColors(const CxRgbQuad& a, const CxRgbQuad& b);

class CxImage {
public:
    explicit CxImage(uint32_t imagetype = 0);
    CxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype = 0);
    // A new image with the source's format, filled by Copy (no implicit copies).
    CxImage(const CxImage& source, bool copyPixels, bool copySelection, bool copyAlpha);
    CxImage(const CxImage&) = delete;
    CxImage& operator=(const CxImage&) = delete;
    virtual ~CxImage();

    // ---- lifecycle -------------------------------------------------------
    // A new block of width x height at depth 1, 4, 8 or 24 (bpp rounded up
    // to one of them; 16 and 32 become 24). The palette and the pixel rows
    // are cleared; alpha and selection planes are dropped. Returns the block,
    // or null with lastError set (a borrowed view returns null untouched).
    uint8_t* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype = 0);
    // As Create, but the pixel rows are left as the heap gave them (header
    // and palette are cleared): for a decoder that writes every byte of every
    // row, padding included, or destroys the image when it cannot. Saves a
    // pass over a block that is about to be overwritten anyway.
    uint8_t* CreateUncleared(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype = 0);
    // Frees block, planes and layers; false (nothing freed) for a borrowed view.
    bool Destroy();
    // Deep copy: info record, a new block (its bytes when copyPixels, else the
    // palette only), and the planes asked for.
    void Copy(const CxImage& source, bool copyPixels = true, bool copySelection = true, bool copyAlpha = true);
    // Moves everything out of source into this image; source is left empty.
    // False when this image or source is a borrowed view.
    bool TakeOver(CxImage& source);
    // Makes this image a view of source's block and planes; it never frees them.
    void BorrowFrom(CxImage* source);
    // Copies source's options while this image has no block. The fields that
    // describe this object's own memory (pixels, rowBytes, borrowedFrom) stay.
    void CopyOptions(const CxImage& source);

    // ---- queries ---------------------------------------------------------
    bool IsValid() const { return dib != nullptr; }
    uint32_t GetWidth() const { return static_cast<uint32_t>(head.biWidth); }
    uint32_t GetHeight() const { return static_cast<uint32_t>(head.biHeight); }
    uint32_t GetBpp() const { return head.biBitCount; }
    uint32_t GetRowBytes() const { return info.rowBytes; }
    uint32_t GetNumColors() const { return head.biClrUsed; }
    bool IsIndexed() const { return head.biClrUsed != 0; }
    uint32_t GetPaletteSize() const { return head.biClrUsed * 4; }
    // Size of the whole block: header, palette and rows.
    uint32_t GetSize() const { return head.biSize + GetPaletteSize() + head.biSizeImage; }
    uint32_t GetType() const { return info.format; }
    const char* GetLastError() const { return info.lastError; }
    uint8_t GetColorType() const;
    // Pointer to a pixel row (row 0 is the bottom); null when empty or out of range.
    uint8_t* GetBits(uint32_t row = 0) const;
    bool IsInside(int64_t x, int64_t y) const;
    int32_t GetXDpi() const { return info.xDpi; }
    int32_t GetYDpi() const { return info.yDpi; }
    uint8_t GetJpegQuality() const { return info.quality; }
    uint8_t GetJpegScale() const { return info.jpegScale; }
    uint32_t GetCodecOption(uint32_t format = 0) const;
    int32_t GetTransIndex() const { return info.transIndex; }
    CxRgbQuad GetTransColor() const;
    bool IsTransparent() const { return info.transIndex >= 0; }
    bool IsGrayScale() const;
    bool PaletteHasAlpha() const;
    bool AlphaIsValid() const { return alpha != nullptr; }
    bool SelectionIsValid() const { return selection != nullptr; }
    const CxBitmapInfoHeader& GetHeader() const { return head; }
    const CxImageInfo& GetInfo() const { return info; }
    const uint8_t* GetDib() const { return dib; }
    const uint8_t* GetAlphaPlane() const { return alpha; }
    int32_t GetProgress() const { return info.progress; }
    int32_t GetEscape() const { return info.escape; }
    int32_t GetFrame() const { return info.frame; }
    int32_t GetNumFrames() const { return info.numFrames; }

    // ---- setters ---------------------------------------------------------
    void SetXDpi(int32_t dpi);  // dpi <= 0 becomes 96; also sets biXPelsPerMeter
    void SetYDpi(int32_t dpi);
    bool SetCodecOption(uint32_t value, uint32_t format = 0);
    void SetTransIndex(int32_t index) { info.transIndex = index; }
    void SetTransColor(CxRgbQuad color);
    void SetOffset(int32_t x, int32_t y) { info.xOffset = x; info.yOffset = y; }
    void SetJpegQuality(uint8_t quality) { info.quality = quality; }
    void SetEscape(int32_t escape) { info.escape = escape; }
    void SetFrame(int32_t frame) { info.frame = frame; }
    void SetNumFrames(int32_t count) { info.numFrames = count; }
    void SetLastErrorText(const char* text);  // cut to 255 characters
    // Fills the pixel rows with one byte (1 bit: nonzero -> 255; 4 bits: (v & 15) * 17).
    void Clear(uint8_t value = 0);

    // ---- palette ---------------------------------------------------------
    CxRgbQuad* GetPalette() const;
    CxRgbQuad GetPaletteColor(uint8_t index) const;
    bool GetPaletteRGB(uint8_t index, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    void SetPaletteColor(uint8_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alphaValue = 0);
    void SetPaletteQuad(uint8_t index, CxRgbQuad entry);
    void SetPaletteArrays(uint32_t count, const uint8_t* red, const uint8_t* green = nullptr,
                          const uint8_t* blue = nullptr);
    void SetPaletteTriples(const uint8_t* rgb, uint32_t count);
    void SetPalette(const CxRgbQuad* entries, uint32_t count = 256);
    void SetGrayPalette();
    void SwapIndex(uint8_t a, uint8_t b);
    uint8_t GetNearestIndex(CxRgbQuad color);

    // ---- pixels ----------------------------------------------------------
    uint8_t GetPixelIndex(int64_t x, int64_t y) const;
    uint8_t GetPixelIndexUnchecked(uint32_t x, uint32_t y) const;  // caller checks range and depth
    void SetPixelIndex(int64_t x, int64_t y, uint8_t index);
    CxRgbQuad GetPixelColor(int64_t x, int64_t y, bool withAlpha = true) const;
    void SetPixelColor(int64_t x, int64_t y, CxRgbQuad color, bool setAlpha = false);
    void SetPixelColorRef(int64_t x, int64_t y, uint32_t colorref);
    // Swaps red and blue in the 3-byte groups of the first min(length, rowBytes) bytes (24 bits only).
    void RGBtoBGR(uint8_t* buffer, uint32_t length) const;
    static CxRgbQuad ColorRefToQuad(uint32_t colorref);

    // ---- planes ----------------------------------------------------------
    bool AlphaCreate();  // true when the image has a plane afterwards
    void AlphaDelete();
    void AlphaSet(int64_t x, int64_t y, uint8_t value);
    uint8_t AlphaGet(int64_t x, int64_t y) const;
    void SelectionCreate();  // a plane of zeros (nothing selected)
    void SelectionSet(int64_t x, int64_t y, uint8_t value);
    void SelectionDelete();
    bool SelectionIsInside(int64_t x, int64_t y) const;

    // ---- transforms (false only for an empty image) ------------------------
    bool Flip();
    bool Mirror();
    // Quarter turns; the result goes into target, or into this image when null.
    bool RotateLeft(CxImage* target = nullptr);
    bool RotateRight(CxImage* target = nullptr);
    bool Negative();
    bool AlphaFlip();    // false without an alpha plane
    bool AlphaMirror();  // false without an alpha plane

    // ---- clipboard bitmap block (CF_DIB) ---------------------------------
    // A new movable global block holding a copy of this image's block, owned
    // by the caller (the clipboard, once handed over); null for an empty
    // image or when the block cannot be allocated.
    qlry::HGlobal ExportDibHandle(qlry::GlobalMemory& memory = qlry::SystemGlobalMemory()) const;
    // Rebuilds this image from a CF_DIB block (the caller keeps the handle).
    // Accepts 12, 40, 52, 56, 108 and 124-byte headers, top-down rows, short
    // colour tables, 1/4/8/24-bit uncompressed, RLE8, RLE4, 16-bit and
    // 32-bit with or without bitfield masks; 32-bit alpha (a non-zero fourth
    // byte anywhere) goes to the alpha plane. Never reads past GlobalSize.
    // On failure returns false with lastError set, and the image is empty.
    bool ImportDibHandle(qlry::HGlobal handle, qlry::GlobalMemory& memory = qlry::SystemGlobalMemory());
    // Writes 16 or 32-bit rows (bottom-up, padded to 4 bytes) as 24-bit pixels
    // into this image, working backwards so that source may be this image's own
    // pixel rows (16 bits widened in place). Other bpp values do nothing.
    void UnpackBitfields(const uint8_t* source, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                         uint32_t bpp);

    // ---- files and codecs ------------------------------------------------
    // Reads an image file through the file port. Format 0 tries every codec
    // in the fixed detection order; a given format is tried first, then
    // detection, and on failure the typed codec's error text is kept.
    bool Load(const std::wstring& path, uint32_t format = CXIMAGE_FORMAT_UNKNOWN,
              qlry::FileSystem& files = qlry::SystemFileSystem());
    // Writes an image file in the given format (use FormatFromExtension). The
    // image is encoded into memory first and the file is then replaced all or
    // nothing (platform/safe_write.h): an unknown format, a refusing codec or
    // a failed write leaves an existing file as it was.
    bool Save(const std::wstring& path, uint32_t format, qlry::FileSystem& files = qlry::SystemFileSystem());
    // Decodes from a stream (format 0: detection). On failure the image is unchanged
    // apart from lastError (and numFrames for GIF, ICO and TIFF); a failed
    // detection leaves the stream where it started.
    bool Decode(CxStream* stream, uint32_t format);
    bool Encode(CxStream* stream, uint32_t format);
    // True (refuse) for a null stream or an empty image, with lastError set.
    bool CheckEncodeArgs(CxStream* stream);

protected:
    // Sets lastError and returns false: codecs end a failed step with
    // `return Fail("text");`.
    bool Fail(const char* text) {
        SetLastErrorText(text);
        return false;
    }
    void StartUp(uint32_t imagetype);
    // Bytes of the pixel rows, as Create would lay them out, or 0 when the
    // request is above CXIMAGE_MAX_MEMORY (or empty).
    static uint64_t RowBytesFor(uint64_t width, uint32_t depth);
    uint8_t* CreateBlock(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype, bool clearRows);
    bool ImportDibBlock(const uint8_t* block, size_t size);
    bool UnpackBitfieldRows(const uint8_t* source, size_t sourceStride, bool topDown, const uint32_t masks[4],
                            uint32_t bpp);

    uint8_t* dib = nullptr;
    CxBitmapInfoHeader head;
    CxImageInfo info;
    uint8_t* selection = nullptr;
    uint8_t* alpha = nullptr;
    CxImage** layers = nullptr;
};
