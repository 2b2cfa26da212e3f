#pragma once
// CxImageJPG: JPEG (JFIF) files through libjpeg's 6b interface.
//
// Decoding reads baseline, extended and progressive files with one, three or
// four components: greyscale gives an 8-bit image with the identity grey
// palette, colour 24 bits, and Adobe-style (inverted) CMYK is multiplied
// down to 24-bit colour. jpegScale 2, 4 or 8 asks libjpeg for a reduced
// picture; escape -1 reports the output dimensions only. A stream that ends
// inside the picture data decodes what is there (libjpeg completes the rest).
// The resolution comes from the EXIF data when the file carries it, else
// from the JFIF density.
//
// Encoding writes 24-bit images as colour and images with the identity grey
// palette as one-component JPEG, at the image's quality, with its resolution
// in dots per inch. Every libjpeg failure ends in the codec: the call returns
// false and lastError holds libjpeg's message.
#include <cstdint>
#include <memory>

#include "ximage/ximage.h"

class CxStream;

// What the EXIF reader found in the file's APP1 segment.
struct ExifInfo {
    float xResolution = 0;     // EXIF XResolution (tag 282)
    float yResolution = 0;     // EXIF YResolution (tag 283)
    float resolutionUnit = 0;  // inches per resolution unit (tag 296), 0 when never set
    bool isExif = false;       // an APP1 Exif segment was parsed successfully
    // Camera fields: kept for completeness, nothing in the program reads them.
    char cameraMake[32] = {};
    char cameraModel[40] = {};
    char dateTime[20] = {};
    int32_t orientation = 0;
    // The frame header (SOF) and first comment met by the marker scan.
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;
    uint32_t frameComponents = 0;
    uint8_t frameMarker = 0;
    char comment[256] = {};
};

// Scans the marker segments ahead of the picture data and parses the EXIF
// directories. Reads through the stream; never throws, never allocates more
// than one segment (at most 65533 bytes).
class CxExifReader {
public:
    explicit CxExifReader(ExifInfo* info) : exif(info) {}
    // True when the scan reached the start of the picture data (SOS).
    bool DecodeExif(CxStream* stream);
    // Parses the body of an APP1 segment (starting with "Exif"); true when valid.
    bool ProcessExif(const uint8_t* data, uint32_t length);
    const char* GetLastError() const { return lastError; }

private:
    // primary: the picture's own directory (IFD0) or one it links to; the
    // directories chained after it (the thumbnail's) are only checked.
    bool ProcessDir(const uint8_t* dir, const uint8_t* tiff, uint32_t tiffLength, int depth, bool primary);
    bool Fail(const char* text);

    ExifInfo* exif;
    bool motorola = false;  // big-endian TIFF data
    int directories = 0;    // directories walked so far (a bound against link loops)
    const char* lastError = "";
};

class CxImageJPG : public CxImage {
public:
    CxImageJPG() : CxImage(CXIMAGE_FORMAT_JPG) {}
    bool Decode(CxStream* stream);
    bool Encode(CxStream* stream);

    const ExifInfo& GetExifInfo() const { return exifInfo; }
    const CxExifReader* GetExifReader() const { return exifReader.get(); }

private:
    void ScanExif(CxStream* stream);
    void ApplyResolution(bool sawJfif, uint8_t densityUnit, uint16_t xDensity, uint16_t yDensity);
    // The parts that run under libjpeg's recovery point: no objects with
    // destructors live in them, everything is in the job records.
    bool DecodeGuarded(struct JpgDecodeJob* job);
    bool EncodeGuarded(struct JpgEncodeJob* job);

    std::unique_ptr<CxExifReader> exifReader;  // made by each decode
    ExifInfo exifInfo;
};
