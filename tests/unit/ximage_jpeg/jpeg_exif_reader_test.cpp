// CxExifReader on its own: the marker scan and the EXIF directory walk,
// with the texts it keeps for each way a file can be malformed.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/toolkit/cx_mem_stream.h"

using namespace jpegtest;

namespace {

struct ScanResult {
    bool ok;
    std::string error;
    ExifInfo info;
};

ScanResult Scan(Bytes bytes) {
    ScanResult result{};
    CxExifReader reader(&result.info);
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    result.ok = reader.DecodeExif(&stream);
    result.error = reader.GetLastError();
    return result;
}

ScanResult Parse(const Bytes& body) {
    ScanResult result{};
    CxExifReader reader(&result.info);
    result.ok = reader.ProcessExif(body.data(), static_cast<uint32_t>(body.size()));
    result.error = reader.GetLastError();
    return result;
}

Bytes Segment(uint8_t marker, size_t bodyLength) {
    const size_t length = bodyLength + 2;
    Bytes out(4 + bodyLength, 0);
    out[0] = 0xFF;
    out[1] = marker;
    out[2] = static_cast<uint8_t>(length >> 8);
    out[3] = static_cast<uint8_t>(length);
    return out;
}

Bytes Soi() { return {0xFF, 0xD8}; }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(JpegMarkerScan, StopsAtStartOfScanWithFrameAndComment) {
    CxImage source;
    MakeColourPicture(source, 21, 13);
    Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    const std::string text = "made by a test";
    InsertSegment(jpeg, 0xFE, Bytes(text.begin(), text.end()));
    const ScanResult scan = Scan(jpeg);
    EXPECT_TRUE(scan.ok) << scan.error;
    EXPECT_EQ(scan.info.frameWidth, 21u);
    EXPECT_EQ(scan.info.frameHeight, 13u);
    EXPECT_EQ(scan.info.frameComponents, 3u);
    EXPECT_EQ(std::string(scan.info.comment), text);
    EXPECT_FALSE(scan.info.isExif);
}

TEST(JpegMarkerScan, RejectsWhatIsNotAJpeg) {
    EXPECT_FALSE(Scan({'B', 'M', 0, 0}).ok);
    EXPECT_FALSE(Scan({}).ok);
}

TEST(JpegMarkerScan, EndOfImageBeforeScanIsFalse) {
    EXPECT_FALSE(Scan(Join({Soi(), {0xFF, 0xD9}})).ok);
}

TEST(JpegMarkerScan, BadLengthAndShortSection) {
    EXPECT_EQ(Scan(Join({Soi(), {0xFF, 0xE0, 0x00, 0x01}})).error, "invalid marker");
    Bytes shortSection = Join({Soi(), Segment(0xE0, 40)});
    shortSection.resize(shortSection.size() - 5);
    EXPECT_EQ(Scan(shortSection).error, "Premature end of file?");
}

TEST(JpegMarkerScan, TooManyFillBytes) {
    EXPECT_TRUE(Scan(Join({Soi(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDA, 0x00, 0x02}})).ok);
    const ScanResult many = Scan(Join({Soi(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDA, 0x00, 0x02}}));
    EXPECT_FALSE(many.ok);
}

TEST(JpegMarkerScan, TwentySectionsAtMost) {
    Bytes file = Soi();
    for (int i = 0; i < 19; ++i) file = Join({file, Segment(0xE5, 3)});
    const Bytes withScan = Join({file, Segment(0xDA, 0)});
    EXPECT_TRUE(Scan(withScan).ok);  // the 20th section is the scan
    const Bytes tooMany = Join({file, Segment(0xE5, 3), Segment(0xDA, 0)});
    const ScanResult scan = Scan(tooMany);
    EXPECT_FALSE(scan.ok);
    EXPECT_EQ(scan.error, "Too many sections in jpg file");
}

TEST(JpegExifParse, ReadsResolutionInBothByteOrders) {
    for (bool motorola : {false, true}) {
        const ScanResult r = Parse(MakeExifBody(motorola, {{282, 5, 1, Rational(motorola, 720, 10)},
                                                           {283, 5, 1, Rational(motorola, 150, 1)},
                                                           {296, 3, 1, Short(motorola, 3)},
                                                           {274, 3, 1, Short(motorola, 6)},
                                                           {271, 2, 6, {'C', 'a', 'n', 'o', 'n', 0}}}));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_FLOAT_EQ(r.info.xResolution, 72.0f);
        EXPECT_FLOAT_EQ(r.info.yResolution, 150.0f);
        EXPECT_FLOAT_EQ(r.info.resolutionUnit, 0.3937008f);
        EXPECT_EQ(r.info.orientation, 6);
        EXPECT_STREQ(r.info.cameraMake, "Canon");
    }
}

TEST(JpegExifParse, ResolutionUnitTable) {
    const struct {
        uint16_t code;
        float factor;
    } table[] = {{1, 1.0f}, {2, 1.0f}, {3, 0.3937008f}, {4, 0.03937008f}, {5, 0.00003937008f}, {7, 0.0f}};
    for (const auto& row : table) {
        const ScanResult r = Parse(MakeExifBody(false, {{296, 3, 1, Short(false, row.code)}}));
        ASSERT_TRUE(r.ok);
        EXPECT_FLOAT_EQ(r.info.resolutionUnit, row.factor) << row.code;
    }
}

// Whole-number fields whose value no int32_t holds (here a rational of four
// thousand million) count as 0, not as whatever the conversion would make.
TEST(JpegExifParse, WholeNumbersOutOfRangeCountAsZero) {
    const ScanResult r = Parse(MakeExifBody(false, {{296, 5, 1, Rational(false, 4000000000u, 1)},
                                                    {274, 5, 1, Rational(false, 4000000000u, 1)}}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.info.orientation, 0);
    EXPECT_FLOAT_EQ(r.info.resolutionUnit, 0.0f);
}

TEST(JpegExifParse, HeaderErrors) {
    Bytes body = MakeExifBody(false, {});
    Bytes wrong(body);
    wrong[4] = 1;
    EXPECT_EQ(Parse(wrong).error, "Incorrect Exif header");
    wrong = body;
    wrong[6] = 'X';
    EXPECT_EQ(Parse(wrong).error, "Invalid Exif alignment marker.");
    wrong = body;
    wrong[8] = 43;
    EXPECT_EQ(Parse(wrong).error, "Invalid Exif start (1)");
    EXPECT_TRUE(Parse(body).ok);
}

TEST(JpegExifParse, DirectoryErrors) {
    Bytes body = MakeExifBody(false, {{282, 5, 1, Rational(false, 1, 1)}});
    // Entry count far beyond the segment.
    Bytes wrong(body);
    wrong[14] = 0xFF;
    EXPECT_EQ(Parse(wrong).error, "Illegally sized directory");
    // Format code 13.
    wrong = body;
    wrong[18] = 13;
    EXPECT_EQ(Parse(wrong).error, "Illegal format code in EXIF dir");
    // Value offset beyond the segment.
    wrong = body;
    wrong[24] = 0xF0;
    wrong[25] = 0xFF;
    EXPECT_EQ(Parse(wrong).error, "Illegal pointer offset value in EXIF.");
    // A component count whose byte size overflows 32 bits.
    wrong = body;
    wrong[20] = wrong[21] = wrong[22] = wrong[23] = 0xFF;
    EXPECT_EQ(Parse(wrong).error, "Illegal pointer offset value in EXIF.");
}

TEST(JpegExifParse, SubdirectoriesAreFollowedAndChecked) {
    // IFD0 holds only the EXIF link; the resolution sits in the subdirectory.
    Bytes body = MakeExifBody(false, {{34665, 4, 1, {0, 0, 0, 0}}});
    const uint32_t sub = static_cast<uint32_t>(body.size() - 6);
    body[6 + 8 + 2 + 8] = static_cast<uint8_t>(sub);
    const Bytes subdir = {1, 0, 0x1A, 0x01, 3, 0, 1, 0, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0};  // 282 SHORT 200
    body.insert(body.end(), subdir.begin(), subdir.end());
    const ScanResult r = Parse(body);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FLOAT_EQ(r.info.xResolution, 200.0f);

    Bytes outside(body);
    outside[6 + 8 + 2 + 8 + 1] = 0x40;  // link far outside
    EXPECT_EQ(Parse(outside).error, "Illegal subdirectory link");

    Bytes loop(body);
    loop[6 + 8 + 2 + 8] = 8;  // the subdirectory is IFD0 itself
    EXPECT_FALSE(Parse(loop).ok);
}

TEST(JpegExifParse, ThumbnailDirectoryDoesNotOverrideThePicture) {
    Bytes body = MakeExifBody(false, {{282, 5, 1, Rational(false, 300, 1)}});
    const uint32_t next = static_cast<uint32_t>(body.size() - 6);
    body[6 + 8 + 2 + 12] = static_cast<uint8_t>(next);  // link after the only entry
    const Bytes thumbnail = {1, 0, 0x1A, 0x01, 3, 0, 1, 0, 0, 0, 72, 0, 0, 0, 0, 0, 0, 0};  // 282 SHORT 72
    body.insert(body.end(), thumbnail.begin(), thumbnail.end());
    const ScanResult r = Parse(body);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FLOAT_EQ(r.info.xResolution, 300.0f);

    Bytes broken(body);
    broken[6 + 8 + 2 + 12 + 1] = 0x50;  // the link leaves the segment
    EXPECT_EQ(Parse(broken).error, "Illegal subdirectory link");
}

TEST(JpegExifParse, ScanSetsIsExifOnlyForAValidSegment) {
    CxImage source;
    MakeColourPicture(source, 8, 8);
    Bytes jpeg = EncodeBytes(source, CXIMAGE_FORMAT_JPG);
    Bytes good = jpeg;
    InsertSegment(good, 0xE1, MakeExifBody(true, {{282, 5, 1, Rational(true, 96, 1)}}));
    EXPECT_TRUE(Scan(good).info.isExif);
    Bytes other = jpeg;
    const std::string xmp = "http://ns.adobe.com/xap/1.0/";
    InsertSegment(other, 0xE1, Bytes(xmp.begin(), xmp.end()));
    EXPECT_FALSE(Scan(other).info.isExif);
    EXPECT_TRUE(Scan(other).ok);
}

}  // namespace
