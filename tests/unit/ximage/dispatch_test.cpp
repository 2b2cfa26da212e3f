// The format table, detection order and the Load/Save rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "support/codec_test_support.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"
#include "ximage/ximage_codecs.h"

namespace {

TEST(FormatFromExtension, TableAndShellRules) {
    EXPECT_EQ(FormatFromExtension(L"C:\\a\\photo.JPEG"), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(FormatFromExtension(L"x.jpg"), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(FormatFromExtension(L"scan.Tif"), CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(FormatFromExtension(L"scan.tiff"), CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(FormatFromExtension(L"a.ppm"), CXIMAGE_FORMAT_PNM);
    EXPECT_EQ(FormatFromExtension(L"a.pgm"), CXIMAGE_FORMAT_PNM);
    EXPECT_EQ(FormatFromExtension(L"a.ras"), CXIMAGE_FORMAT_RAS);
    EXPECT_EQ(FormatFromExtension(L"a.j2k"), CXIMAGE_FORMAT_JP2);
    EXPECT_EQ(FormatFromExtension(L"a.J2C"), CXIMAGE_FORMAT_JPC);
    EXPECT_EQ(FormatFromExtension(L"a.emf"), CXIMAGE_FORMAT_WMF);
    EXPECT_EQ(FormatFromExtension(L"a.wbmp"), CXIMAGE_FORMAT_WBMP);
    EXPECT_EQ(FormatFromExtension(L"a.pgx"), CXIMAGE_FORMAT_PGX);
    EXPECT_EQ(FormatFromExtension(L"a.bmp"), CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(FormatFromExtension(L"shot.webp"), CXIMAGE_FORMAT_WEBP);
    EXPECT_EQ(FormatFromExtension(L"C:\\a\\Shot.WebP"), CXIMAGE_FORMAT_WEBP);
    EXPECT_EQ(FormatFromExtension(L"notes.txt"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"README"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"archive.tar.gz"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"a.png.txt"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"C:\\dir.png\\file"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"/tmp/dir.png/file"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L"my picture.png"), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(FormatFromExtension(L"x.png old"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L".bmp"), CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(FormatFromExtension(L"a.bmpx"), CXIMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(FormatFromExtension(L""), CXIMAGE_FORMAT_UNKNOWN);
}

// Fake codecs that record the order and the stream position they were called at.
std::vector<std::pair<uint32_t, int32_t>> g_calls;

template <uint32_t Format, bool Succeeds>
class FakeCodec : public CxImage {
public:
    FakeCodec() : CxImage(Format) {}
    bool Decode(CxStream* stream) {
        g_calls.emplace_back(Format, stream->Tell());
        uint8_t skip[3];
        stream->Read(skip, 1, 3);  // moves the position, as a real attempt does
        if (!Succeeds) {
            SetLastErrorText(("fake " + std::to_string(Format) + " failed").c_str());
            SetNumFrames(7);
            return false;
        }
        Create(2, 1, 24, Format);
        return true;
    }
    bool Encode(CxStream* stream) {
        if (CheckEncodeArgs(stream)) return false;
        if (!Succeeds) {
            SetLastErrorText("fake encoder refused");
            return false;
        }
        return stream->PutC('E');
    }
};

// A family codec that is told the format, like the JPEG-2000 one.
std::vector<uint32_t> g_familyFormats;
class FakeFamily : public CxImage {
public:
    bool Decode(CxStream*, uint32_t format) {
        g_familyFormats.push_back(format);
        SetLastErrorText("family failed");
        return false;
    }
    bool Encode(CxStream*, uint32_t format) {
        g_familyFormats.push_back(format);
        return true;
    }
};

class DetectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_familyFormats.clear();
    }
};

const CxCodecEntry kFailingTable[] = {
    CxCodecRow<FakeCodec<1, false>>(1),
    CxCodecRow<FakeCodec<3, false>>(3),
    CxCodecRow<FakeCodec<5, false>>(5, true),
    CxCodecRow<FakeCodec<2, false>>(2, true),
    {11, 15, 0, false, &CxDecodeAs<FakeFamily>, &CxEncodeAs<FakeFamily>},
};

TEST_F(DetectionTest, TriesRowsInOrderFromTheSamePosition) {
    uint8_t data[32] = {};
    CxMemStream stream(data, sizeof(data));
    stream.Seek(5, SEEK_SET);
    CxImage image(4, 4, 8, 9);
    image.SetPixelIndex(1, 1, 3);
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 0));
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[0].first, 1u);
    EXPECT_EQ(g_calls[1].first, 3u);
    EXPECT_EQ(g_calls[2].first, 5u);
    EXPECT_EQ(g_calls[3].first, 2u);
    for (const auto& call : g_calls) EXPECT_EQ(call.second, 5);
    ASSERT_EQ(g_familyFormats.size(), 1u);
    EXPECT_EQ(g_familyFormats[0], 0u);  // the family recognises its own data
    EXPECT_EQ(stream.Tell(), 5);        // left where it started
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    // The image is as it was.
    EXPECT_EQ(image.GetType(), 9u);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 3);
    EXPECT_EQ(image.GetNumFrames(), 0);
}

TEST_F(DetectionTest, FirstSuccessWinsAndSetsTheFormat) {
    const CxCodecEntry table[] = {
        CxCodecRow<FakeCodec<1, false>>(1),
        CxCodecRow<FakeCodec<4, true>>(4),
        CxCodecRow<FakeCodec<6, true>>(6),
    };
    uint8_t data[8] = {};
    CxMemStream stream(data, sizeof(data));
    CxImage image;
    EXPECT_TRUE(CxDecodeWith(table, image, &stream, 0));
    EXPECT_EQ(image.GetType(), 4u);
    EXPECT_EQ(image.GetWidth(), 2u);
    EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(DetectionTest, TypedFailureKeepsTheCodecsTextAndFrames) {
    uint8_t data[8] = {};
    CxMemStream stream(data, sizeof(data));
    CxImage image;
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 3));
    EXPECT_STREQ(image.GetLastError(), "fake 3 failed");
    EXPECT_EQ(image.GetNumFrames(), 0);  // JPEG does not report frames
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 5));
    EXPECT_EQ(image.GetNumFrames(), 7);  // ICO does
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 13));
    EXPECT_STREQ(image.GetLastError(), "family failed");
    ASSERT_EQ(g_familyFormats.size(), 1u);
    EXPECT_EQ(g_familyFormats[0], 13u);
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 16));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(CxDecodeWith(kFailingTable, image, &stream, 7));  // no row: declined
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
}

TEST_F(DetectionTest, CallerOptionsReachTheCodec) {
    struct OptionProbe : public CxImage {
        bool Decode(CxStream*) {
            g_calls.emplace_back(GetFrame(), GetEscape());
            return false;
        }
        bool Encode(CxStream*) { return false; }
    };
    const CxCodecEntry table[] = {CxCodecRow<OptionProbe>(1)};
    CxImage image;
    image.SetFrame(4);
    image.SetEscape(-1);
    CxMemStream stream;
    stream.Open();
    CxDecodeWith(table, image, &stream, 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].first, 4u);
    EXPECT_EQ(g_calls[0].second, -1);
}

TEST_F(DetectionTest, EncodeGoesThroughABorrowedView) {
    const CxCodecEntry table[] = {
        CxCodecRow<FakeCodec<1, true>>(1),
        CxCodecRow<FakeCodec<2, false>>(2),
        {11, 15, 0, false, &CxDecodeAs<FakeFamily>, &CxEncodeAs<FakeFamily>},
    };
    CxImage image(3, 3, 24, 1);
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_TRUE(CxEncodeWith(table, image, &stream, 1));
    EXPECT_TRUE(image.IsValid());  // the view freed nothing
    EXPECT_EQ(stream.Size(), 1);
    EXPECT_FALSE(CxEncodeWith(table, image, &stream, 2));
    EXPECT_STREQ(image.GetLastError(), "fake encoder refused");
    EXPECT_TRUE(CxEncodeWith(table, image, &stream, 15));
    EXPECT_EQ(g_familyFormats.back(), 15u);
    EXPECT_FALSE(CxEncodeWith(table, image, &stream, 16));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(CxEncodeWith(table, image, &stream, 0));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
}

TEST(Dispatch, EncodeArgumentChecks) {
    CxImage empty;
    CxMemStream stream;
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(empty.Encode(&stream, CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    CxImage image(2, 2, 24, 1);
    EXPECT_FALSE(image.Encode(nullptr, CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    EXPECT_FALSE(image.Decode(&stream, 17));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(image.Encode(&stream, 17));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
}

TEST(Dispatch, BmpIsFirstInTheLibrarysTable) {
    const auto table = CxCodecTable();
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0].firstFormat, CXIMAGE_FORMAT_BMP);
}

// WebP is tried behind the formats with a signature of their own and ahead
// of TGA, which has none; the others keep their order.
TEST(Dispatch, WebpIsTriedBetweenTiffAndTga) {
    const uint32_t expected[] = {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG,  CXIMAGE_FORMAT_ICO, CXIMAGE_FORMAT_GIF,
                                 CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF,  CXIMAGE_FORMAT_WEBP, CXIMAGE_FORMAT_TGA,
                                 CXIMAGE_FORMAT_PCX, CXIMAGE_FORMAT_WBMP, CXIMAGE_FORMAT_WMF, CXIMAGE_FORMAT_JP2};
    const auto table = CxCodecTable();
    ASSERT_EQ(table.size(), std::size(expected));
    for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].firstFormat, expected[i]) << i;
    EXPECT_TRUE(table[6].reportsFrames);
}

class FilesTest : public qlry::test::TempDirTest {
protected:
    std::wstring Path(const char* name) const { return (dir / name).wstring(); }
    void WriteText(const char* name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string ReadText(const char* name) const {
        const auto bytes = qlry::test::ReadFileBytes((dir / name).string());
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(FilesTest, SaveThenLoadByDetection) {
    CxImage image(5, 4, 8, 1);
    qlry::test::FillTestPicture(image);
    ASSERT_TRUE(image.Save(Path("x.bmp"), FormatFromExtension(Path("x.bmp"))));
    // The name says PNG; the contents decide.
    std::filesystem::rename(dir / "x.bmp", dir / "x.png");
    CxImage loaded;
    ASSERT_TRUE(loaded.Load(Path("x.png")));
    EXPECT_EQ(loaded.GetType(), CXIMAGE_FORMAT_BMP);
    EXPECT_TRUE(qlry::test::SamePicture(loaded, image, qlry::test::Opacity::SamePlanes));
}

TEST_F(FilesTest, FailedSavesLeaveTheFileAsItWas) {
    WriteText("keep.wmf", "old contents");
    WriteText("keep.txt", "old text");
    WriteText("keep.bmp", "old bitmap");
    CxImage image(2, 2, 24, 1);
    EXPECT_FALSE(image.Save(Path("keep.wmf"), FormatFromExtension(Path("keep.wmf"))));
    EXPECT_FALSE(image.Save(Path("keep.txt"), FormatFromExtension(Path("keep.txt"))));
    CxImage empty;
    EXPECT_FALSE(empty.Save(Path("keep.bmp"), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_EQ(ReadText("keep.wmf"), "old contents");
    EXPECT_EQ(ReadText("keep.txt"), "old text");
    EXPECT_EQ(ReadText("keep.bmp"), "old bitmap");
    EXPECT_FALSE(std::filesystem::exists(dir / "new.txt"));
    EXPECT_FALSE(image.Save(Path("new.txt"), CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_FALSE(std::filesystem::exists(dir / "new.txt"));
}

TEST_F(FilesTest, SaveReplacesAnExistingFileWhenEncodingSucceeds) {
    WriteText("x.bmp", std::string(10000, 'z'));
    CxImage image(2, 2, 24, 1);
    ASSERT_TRUE(image.Save(Path("x.bmp"), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(std::filesystem::file_size(dir / "x.bmp"), 70u);
}

TEST_F(FilesTest, LoadFailures) {
    CxImage image;
    EXPECT_FALSE(image.Load(Path("missing.bmp")));
    EXPECT_FALSE(image.Load(Path("missing.bmp"), CXIMAGE_FORMAT_BMP));
    WriteText("junk.bmp", "this is no picture at all, not even close");
    EXPECT_FALSE(image.Load(Path("junk.bmp")));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    // Typed: the BMP codec's text survives the detection that follows.
    EXPECT_FALSE(image.Load(Path("junk.bmp"), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "Error reading BMP info");
    WriteText("short.bmp", "BM");
    EXPECT_FALSE(image.Load(Path("short.bmp"), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "Not a BMP");
    EXPECT_FALSE(image.IsValid());
}

TEST_F(FilesTest, LoadTypedFallsBackToDetection) {
    CxImage image(3, 3, 24, 1);
    ASSERT_TRUE(image.Save(Path("a.bmp"), CXIMAGE_FORMAT_BMP));
    CxImage loaded;
    // A wrong typed format (no codec for it yet) falls back to detection.
    ASSERT_TRUE(loaded.Load(Path("a.bmp"), CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(loaded.GetType(), CXIMAGE_FORMAT_BMP);
}

}  // namespace
