#pragma once
// CxImagePNG: Portable Network Graphics files, read and written through libpng.
//
// Decoding gives 1, 4 (also for 2-bit files, widened), 8 or 24-bit images:
// 16-bit samples are cut to 8, palettes and grey ramps become the image
// palette, a palette tRNS goes into the palette's fourth bytes (one fully
// transparent entry 0 becomes transIndex 0), and every file with an alpha
// channel gives a 24-bit image with an alpha plane. The transparency of
// other greyscale and RGB files is composed onto the file's bKGD colour, or
// onto grey 192 without one. pHYs in pixels per metre sets the resolution.
// The codec option of CXIMAGE_FORMAT_PNG is 1 after reading an interlaced
// file and makes the encoder write Adam7. With escape -1 only the dimensions
// are filled in ("output dimensions returned").
//
// Encoding writes palette images as PLTE (cut to the indices used for
// pictures below 65536 pixels) with tRNS for transIndex or the alpha
// palette, 24-bit images as RGB, and as RGBA when the image has an alpha
// plane or a transparent colour. bKGD and pHYs are always written. Saving
// never changes the image: a transparent index other than 0 is moved to
// entry 0 in the written file only.
#include "ximage/ximage.h"

class CxStream;
struct CxPngReader;
struct CxPngWriter;

class CxImagePNG : public CxImage {
public:
    CxImagePNG() : CxImage(CXIMAGE_FORMAT_PNG) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);
    // As Encode, with settings chosen for speed from the picture, for a block
    // that lives on the clipboard rather than in a file: a flat picture
    // (most pixels repeat their left neighbour) keeps zlib's default level
    // behind the Up filter, a photo-like one gets the Sub filter with
    // run-length matching only. Palette pictures keep the defaults.
    bool EncodeQuick(CxStream* stream);

private:
    bool Fail(const char* text);
    // The recovery points of libpng: nothing with a destructor lives between
    // them and libpng's long jump back.
    bool ReadWithRecovery(CxPngReader& reader);
    bool Write(CxStream* stream, bool quick);
    bool WriteWithRecovery(CxPngWriter& writer);
    // Bodies run under those recovery points; their locals are plain data.
    bool ReadBody(CxPngReader& reader);
    void WriteBody(CxPngWriter& writer);
    void ReadHeaderOptions(CxPngReader& reader);
    bool ReadRows(CxPngReader& reader);
    void WritePalette(CxPngWriter& writer);
    void ChooseQuickSettings(CxPngWriter& writer);
    bool IsFlat() const;
    void WriteRows(CxPngWriter& writer);
    void RgbaRow(const CxPngWriter& writer, uint32_t imageRow, uint8_t* out) const;
};
