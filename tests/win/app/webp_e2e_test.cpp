// Quillory.exe with WebP files against the real clipboard: copies of lossy,
// lossless, transparent and animated files (the first frame, composed),
// compared with libwebp's own decoders; pastes of a clipboard bitmap and of
// another program's transparent "PNG" into .webp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "win/support/win_test_support.h"
#include "ximage_webp/webp_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;
namespace webp = qlry::test::webp;

UINT PngFormat() { return ::RegisterClipboardFormatW(L"PNG"); }

std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// What a copy left: CF_DIB as an image, and whether "PNG" and CF_DIBV5 came
// after it (as Quillory puts them) or not at all.
struct Copied {
    CxImage dib;
    CxImage png;  // empty when there was no "PNG"
    int dibAt = -1, pngAt = -1, dibV5At = -1;
};

bool ReadCopy(Copied& out) {
    if (!::OpenClipboard(nullptr)) return false;
    int at = 0;
    for (UINT f = ::EnumClipboardFormats(0); f != 0; f = ::EnumClipboardFormats(f), ++at) {
        if (f == CF_DIB) out.dibAt = at;
        if (f == PngFormat()) out.pngAt = at;
        if (f == CF_DIBV5 && out.dibV5At < 0) out.dibV5At = at;
    }
    bool ok = false;
    if (HANDLE dib = ::GetClipboardData(CF_DIB)) ok = out.dib.ImportDibHandle(dib);
    if (out.pngAt >= 0)
        if (HANDLE png = ::GetClipboardData(PngFormat())) {
            const auto* data = static_cast<const uint8_t*>(::GlobalLock(png));
            if (data) {
                const std::vector<uint8_t> bytes(data, data + ::GlobalSize(png));
                ::GlobalUnlock(png);
                qlry::test::DecodeBytes(bytes, out.png, CXIMAGE_FORMAT_PNG);
            }
        }
    ::CloseClipboard();
    return ok;
}

// Puts the image on the clipboard as CF_DIB alone, as a screenshot tool does.
bool PutClipboardImage(const CxImage& image) {
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    HGLOBAL block = image.ExportDibHandle();
    const bool ok = block && ::SetClipboardData(CF_DIB, block);
    if (!ok && block) ::GlobalFree(block);
    ::CloseClipboard();
    return ok;
}

// The colours of the CF_DIB beside the reference picture (opacity aside:
// CF_DIB carries none).
::testing::AssertionResult SameColours(const CxImage& image, webp::Reference reference) {
    for (size_t i = 3; i < reference.bgra.size(); i += 4) reference.bgra[i] = 255;
    return webp::MatchesReference(image, reference);
}

struct WebpEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"webp");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(WebpEndToEnd, CopiesShowWhatLibwebpShows) {
    struct Case {
        const char* file;
        bool transparent;  // goes as "PNG" and CF_DIBV5 as well
    };
    const Case cases[] = {
        {"quillory_lossy_cat.webp", false},
        {"quillory_lossless_basn2c08.webp", false},
        {"quillory_alpha_lossy_basn6a08.webp", true},
        {"quillory_alpha_lossless_basn6a08.webp", true},
        {"quillory_animated_lossy_loop.webp", false},
        {"quillory_animated_transparent_restorebackground.webp", true},
        {"quillory_odd_13x7_lossy.webp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes = webp::CorpusFile(c.file);
        ASSERT_FALSE(bytes.empty());
        WriteFileBytes(Path(L"picture.webp"), AsString(bytes));
        ASSERT_TRUE(PutClipboardText(L"before"));
        ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"picture.webp"))), 0);
        Copied got;
        ASSERT_TRUE(ReadCopy(got)) << "no bitmap on the clipboard";
        const webp::Reference reference = webp::ReferenceDecode(bytes, 0);
        EXPECT_TRUE(SameColours(got.dib, reference));
        if (c.transparent) {
            EXPECT_GT(got.pngAt, got.dibAt);
            EXPECT_GT(got.dibV5At, got.pngAt);
            EXPECT_TRUE(webp::MatchesReference(got.png, reference)) << "the alpha of \"PNG\"";
        } else {
            EXPECT_EQ(got.pngAt, -1);
        }
    }
}

TEST_F(WebpEndToEnd, ABitmapPastesIntoWebp) {
    CxImage picture(61, 37, 24);  // a smooth picture, as photos are
    webp::FillGradient(picture);
    ASSERT_TRUE(PutClipboardImage(picture));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"shot.webp"))), 0);
    const std::string file = ReadFileBytes(Path(L"shot.webp"));
    ASSERT_GT(file.size(), 12u);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 4), "WEBP");
    CxImage back;
    ASSERT_TRUE(back.Load(Path(L"shot.webp"))) << back.GetLastError();
    EXPECT_EQ(back.GetType(), CXIMAGE_FORMAT_WEBP);
    EXPECT_LE(qlry::test::MaxDifference(back, picture), 24);  // lossy at quality 90

    // A palette picture is written lossless: exact.
    CxImage palette(33, 9, 8);
    webp::FillGradient(palette);
    ASSERT_TRUE(PutClipboardImage(palette));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"art.webp"))), 0);
    CxImage art;
    ASSERT_TRUE(art.Load(Path(L"art.webp")));
    EXPECT_TRUE(qlry::test::SamePicture(art, palette));
}

TEST_F(WebpEndToEnd, AnotherProgramsTransparentPngPastesWithItsAlpha) {
    const std::vector<uint8_t> png = qlry::test::ReadCorpusBytes("png/pngsuite_basn6a08.png");
    CxImage original;
    ASSERT_TRUE(qlry::test::DecodeBytes(png, original, CXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(PutClipboardRegistered(L"PNG", AsString(png)));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"logo.webp"))), 0);
    CxImage back;
    ASSERT_TRUE(back.Load(Path(L"logo.webp"))) << "nothing pasted from a PNG alone";
    ASSERT_TRUE(back.AlphaIsValid());
    for (uint32_t y = 0; y < original.GetHeight(); ++y)
        for (uint32_t x = 0; x < original.GetWidth(); ++x)
            ASSERT_EQ(back.AlphaGet(x, y), original.AlphaGet(x, y)) << x << "," << y;
}

TEST_F(WebpEndToEnd, ACopiedWebpPastesBackIntoWebp) {
    WriteFileBytes(Path(L"in.webp"), AsString(webp::CorpusFile("quillory_alpha_lossless_basn6a08.webp")));
    CxImage in;
    ASSERT_TRUE(in.Load(Path(L"in.webp")));
    ASSERT_EQ(RunQuillory(L"-c " + Quoted(Path(L"in.webp"))), 0);
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(Path(L"out.webp"))), 0);
    CxImage out;
    ASSERT_TRUE(out.Load(Path(L"out.webp")));
    ASSERT_TRUE(out.AlphaIsValid());  // lossy colours, lossless opacity
    ASSERT_EQ(out.GetWidth(), in.GetWidth());
    ASSERT_EQ(out.GetHeight(), in.GetHeight());
    for (uint32_t y = 0; y < in.GetHeight(); ++y)
        for (uint32_t x = 0; x < in.GetWidth(); ++x) ASSERT_EQ(out.AlphaGet(x, y), in.AlphaGet(x, y));
}

}  // namespace
