#include "jpeg_test_support.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "support/codec_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"

namespace jpegtest {

void MakeColourPicture(CxImage& image, uint32_t width, uint32_t height) {
    image.Create(width, height, 24, CXIMAGE_FORMAT_BMP);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixelColor(x, y,
                                CxRgbQuad{static_cast<uint8_t>(40 + 150 * x / width),
                                          static_cast<uint8_t>(200 - 150 * y / height),
                                          static_cast<uint8_t>(60 + 100 * (x + y) / (width + height)), 0});
}

void MakeGreyPicture(CxImage& image, uint32_t width, uint32_t height) {
    image.Create(width, height, 8, CXIMAGE_FORMAT_BMP);
    image.SetGrayPalette();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixelIndex(x, y, static_cast<uint8_t>(30 + 180 * (x + y) / (width + height)));
}

double MeanDifference(const CxImage& a, const CxImage& b) {
    double total = 0;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const CxRgbQuad p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            total += std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) +
                     std::abs(p.rgbBlue - q.rgbBlue);
        }
    return total / (3.0 * a.GetWidth() * a.GetHeight());
}

void SetJfifDensity(Bytes& jpeg, uint8_t unit, uint16_t x, uint16_t y) {
    // SOI, APP0 marker and length, "JFIF\0", version: the unit is byte 13.
    if (jpeg.size() < 20 || jpeg[3] != 0xE0 || std::memcmp(&jpeg[6], "JFIF", 4) != 0) std::abort();
    jpeg[13] = unit;
    jpeg[14] = static_cast<uint8_t>(x >> 8), jpeg[15] = static_cast<uint8_t>(x);
    jpeg[16] = static_cast<uint8_t>(y >> 8), jpeg[17] = static_cast<uint8_t>(y);
}

void InsertSegment(Bytes& jpeg, uint8_t marker, const Bytes& body) {
    const size_t length = body.size() + 2;
    Bytes segment{0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    segment.insert(segment.end(), body.begin(), body.end());
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
}

namespace {

void Put16(Bytes& out, bool motorola, uint16_t v) {
    out.push_back(static_cast<uint8_t>(motorola ? v >> 8 : v));
    out.push_back(static_cast<uint8_t>(motorola ? v : v >> 8));
}

void Put32(Bytes& out, bool motorola, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (motorola ? 24 - 8 * i : 8 * i)));
}

}  // namespace

Bytes Rational(bool motorola, uint32_t numerator, uint32_t denominator) {
    Bytes out;
    Put32(out, motorola, numerator);
    Put32(out, motorola, denominator);
    return out;
}

Bytes Short(bool motorola, uint16_t value) {
    Bytes out;
    Put16(out, motorola, value);
    return out;
}

Bytes MakeExifBody(bool motorola, const std::vector<ExifEntry>& entries) {
    Bytes tiff;
    tiff.push_back(motorola ? 'M' : 'I');
    tiff.push_back(motorola ? 'M' : 'I');
    Put16(tiff, motorola, 42);
    Put32(tiff, motorola, 8);
    Put16(tiff, motorola, static_cast<uint16_t>(entries.size()));
    size_t dataOffset = 8 + 2 + entries.size() * 12 + 4;
    Bytes data;
    for (const ExifEntry& e : entries) {
        Put16(tiff, motorola, e.tag);
        Put16(tiff, motorola, e.format);
        Put32(tiff, motorola, e.count);
        if (e.value.size() <= 4) {
            Bytes inline4(e.value);
            inline4.resize(4, 0);
            tiff.insert(tiff.end(), inline4.begin(), inline4.end());
        } else {
            Put32(tiff, motorola, static_cast<uint32_t>(dataOffset + data.size()));
            data.insert(data.end(), e.value.begin(), e.value.end());
        }
    }
    Put32(tiff, motorola, 0);  // no next directory
    tiff.insert(tiff.end(), data.begin(), data.end());
    // Sized once: growing a 6-byte vector trips a false bounds warning of gcc 12.
    Bytes body(6 + tiff.size(), 0);
    std::copy_n("Exif", 4, body.begin());
    std::copy(tiff.begin(), tiff.end(), body.begin() + 6);
    return body;
}

namespace {

struct TestJpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void TestErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<TestJpegError*>(cinfo->err)->jump, 1); }

// In its own function: nothing with a destructor between setjmp and longjmp.
bool WriteCmyk(uint32_t width, uint32_t height, const uint8_t cmyk[4], unsigned char** out, unsigned long* size) {
    static jpeg_compress_struct cinfo;
    static TestJpegError err;
    static JSAMPLE row[4 * 256];
    cinfo = jpeg_compress_struct{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    cinfo.write_Adobe_marker = TRUE;
    jpeg_set_quality(&cinfo, 100, FALSE);
    jpeg_start_compress(&cinfo, TRUE);
    for (uint32_t x = 0; x < width && x < 256; ++x) std::memcpy(row + 4 * x, cmyk, 4);
    JSAMPROW rows[1] = {row};
    for (uint32_t y = 0; y < height; ++y) jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

Bytes MakeCmykJpeg(uint32_t width, uint32_t height, const uint8_t cmyk[4]) {
    unsigned char* out = nullptr;
    unsigned long size = 0;
    Bytes bytes;
    if (WriteCmyk(width, height, cmyk, &out, &size)) bytes.assign(out, out + size);
    std::free(out);
    return bytes;
}

std::string LibjpegMessage(int code, int arg0, int arg1) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    err.msg_code = code;
    err.msg_parm.i[0] = arg0;
    err.msg_parm.i[1] = arg1;
    char text[JMSG_LENGTH_MAX] = {};
    err.format_message(reinterpret_cast<j_common_ptr>(&cinfo), text);
    return text;
}

}  // namespace jpegtest
