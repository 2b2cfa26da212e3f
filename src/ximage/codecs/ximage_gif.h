#pragma once
// CxImageGIF: GIF files (87a and 89a on reading, 89a on writing).
//
// Decoding yields one picture: the image `frame` (0 = the first) composed
// onto a canvas of the logical screen size, at 1, 4 or 8 bits per pixel from
// the size of its colour table. A file that splits one picture into tiles
// with their own colour tables (no global table, the first tile smaller than
// the screen) is composed into one 24-bit picture instead.
//
// Encoding writes palette images as one LZW image with a global colour table;
// deeper images as a mosaic of 17 x 15 tiles, each with its own 256-entry
// local table, so that every pixel keeps its colour.
//
// The object keeps only what a decode finds beside the picture. The LZW
// coder (ximage_gif_lzw.h) with its read-ahead buffer and its row cursors
// lives for one Decode or Encode call.
#include <cstdint>

#include "ximage/ximage.h"

class CxStream;
class CxStreamReader;
struct CxGifDescriptor;

class CxImageGIF : public CxImage {
public:
    CxImageGIF() : CxImage(CXIMAGE_FORMAT_GIF) {}
    CxImageGIF(const CxImageGIF&) = delete;
    CxImageGIF& operator=(const CxImageGIF&) = delete;
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);

    // What the last decode found beside the picture; an encoding object
    // writes its own (empty, 0, 0 unless set).
    const char* GetComment() const { return comment; }
    int32_t GetLoopCount() const { return loopCount; }
    int32_t GetDisposalMethod() const { return disposalMethod; }

private:
    // The body of a graphic control extension, as in the file. Zeroed when
    // the object is made: a file without one fills the canvas with index 0,
    // disposes nothing and has no transparency.
    struct GraphicControl {
        uint8_t flags = 0;
        uint16_t delay = 0;
        uint8_t transIndex = 0;
    };
    // What one Decode call works with, and which image of the file a
    // decoded picture is (ximage_gif_decode.cpp).
    struct DecodeRun;
    struct ImageKey;

    // ---- decoding (ximage_gif_decode.cpp) ----
    int32_t CountFrames(DecodeRun& run, uint32_t tableSize, uint32_t screenWidth, uint32_t screenHeight);
    bool ReadExtension(CxStreamReader& reader);
    // Decodes one image's data into this object (already created) and leaves
    // the stream on the byte after it; false when memory ran out.
    bool DecodeImageData(DecodeRun& run, const CxGifDescriptor& d);
    bool CreateOrRunOut(const CxGifDescriptor& d, uint32_t bpp);
    bool FailLike(const CxImage& other);
    void KeepDecodedAhead(DecodeRun& run, const ImageKey& key);
    bool TakeDecodedAhead(DecodeRun& run, const ImageKey& key);

    // ---- encoding (ximage_gif_encode.cpp) ----
    bool EncodeTiled(CxStream* stream);

    GraphicControl gce;
    char comment[256] = {};
    int32_t loopCount = 0;
    int32_t disposalMethod = 0;
};
