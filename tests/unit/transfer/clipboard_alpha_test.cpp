// Transparency through the clipboard: a copy adds "PNG" and CF_DIBV5 after
// the unchanged CF_DIB when the picture has transparency; a paste reads
// "PNG" first, then CF_DIBV5, then CF_DIB.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/corpus.h"
#include "support/codec_test_support.h"
#include "support/fake_services.h"
#include "transfer/clipboard_alpha_blocks.h"
#include "transfer/image_transfer.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_dibv5.h"

namespace {

using qlry::test::FakeServices;
using qlry::test::SamePicture;

// A 5 x 4 picture of distinct colours whose alpha runs from clear to opaque.
void PaintLogo(CxImage& image) {
    ASSERT_NE(image.Create(5, 4, 24), nullptr);
    image.AlphaCreate();
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            image.SetPixelColor(x, y, CxRgbQuad{uint8_t(50 * x), uint8_t(60 * y), uint8_t(7 + x * y), 0});
            image.AlphaSet(x, y, static_cast<uint8_t>(x == 0 ? 0 : x == 4 ? 255 : 40 * x + y));
        }
    }
}

// A different, opaque 5 x 4 picture.
void PaintOther(CxImage& image) {
    ASSERT_NE(image.Create(5, 4, 24), nullptr);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x) image.SetPixelColor(x, y, CxRgbQuad{uint8_t(9 * y), 200, uint8_t(x), 0});
}

std::vector<uint8_t> BlockBytes(qlry::GlobalMemory& memory, qlry::HGlobal block) {
    std::vector<uint8_t> bytes(block ? memory.Size(block) : 0);
    if (bytes.empty()) return bytes;
    qlry::GlobalLockGuard lock(memory, block);
    std::memcpy(bytes.data(), lock.get(), bytes.size());
    return bytes;
}

bool DecodePngBytes(const std::vector<uint8_t>& bytes, CxImage& image) {
    std::vector<uint8_t> copy = bytes;
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    return image.Decode(&stream, CXIMAGE_FORMAT_PNG);
}

struct ClipboardAlpha : ::testing::Test {
    FakeServices fake;
    CImageTransfer transfer{fake.services};
    uint32_t png = fake.clipboard.Registered(L"PNG");

    static std::wstring Path(const char* name) { return L"C:\\pics\\" + std::wstring(name, name + std::strlen(name)); }
    std::string Read(const std::wstring& path) { return fake.files.files[path]; }
    void Write(const std::wstring& path, const std::string& bytes) { fake.files.files[path] = bytes; }

    qlry::HGlobal BlockOf(const std::vector<uint8_t>& bytes) {
        qlry::HGlobal block = fake.memory.Alloc(qlry::kGmemMoveable, bytes.size());
        qlry::GlobalLockGuard lock(fake.memory, block);
        std::memcpy(lock.get(), bytes.data(), bytes.size());
        return block;
    }
    // Another program's "PNG": a file's bytes, as browsers put them there.
    void PutPng(const std::vector<uint8_t>& file) { fake.clipboard.Put(png, BlockOf(file)); }
    void PutPng(CxImage& image) { fake.clipboard.Put(png, qlry::EncodePngBlock(image, fake.memory)); }
    void PutDib(const CxImage& image) { fake.clipboard.Put(qlry::kCfDib, image.ExportDibHandle(fake.memory)); }
    void PutDibV5(const CxImage& image) {
        fake.clipboard.Put(qlry::kCfDibV5, cximage::ExportDibV5Handle(image, fake.memory));
    }

    // The picture a paste into `name` wrote, read back.
    ::testing::AssertionResult PastedAs(const char* name, CxImage& written) {
        if (transfer.PasteIntoFile(Path(name), 0) != kTransferOk) return ::testing::AssertionFailure() << "paste failed";
        if (fake.clipboard.IsOpen()) return ::testing::AssertionFailure() << "clipboard left open";
        if (!written.Load(Path(name), CXIMAGE_FORMAT_UNKNOWN, fake.files))
            return ::testing::AssertionFailure() << "unreadable: " << written.GetLastError();
        return ::testing::AssertionSuccess();
    }
};

TEST_F(ClipboardAlpha, TransparentCopyAddsPngAndDibV5AfterTheUnchangedDib) {
    CxImage logo;
    PaintLogo(logo);
    ASSERT_TRUE(logo.Save(Path("logo.png"), CXIMAGE_FORMAT_PNG, fake.files));
    CxImage file;
    ASSERT_TRUE(file.Load(Path("logo.png"), CXIMAGE_FORMAT_UNKNOWN, fake.files));
    fake.clipboard.PutText(u"before");

    ASSERT_EQ(transfer.CopyToClipboard(Path("logo.png")), kTransferOk);
    EXPECT_EQ(fake.clipboard.SetOrder(), (std::vector<uint32_t>{qlry::kCfDib, png, qlry::kCfDibV5}));
    EXPECT_FALSE(fake.clipboard.Has(qlry::kCfUnicodeText));
    EXPECT_EQ(fake.clipboard.OpenCount(), 1);  // one opening for all three
    EXPECT_FALSE(fake.clipboard.IsOpen());

    // CF_DIB is the image's own 24-bit block, byte for byte as before.
    qlry::HGlobal expected = file.ExportDibHandle(fake.memory);
    EXPECT_EQ(BlockBytes(fake.memory, fake.clipboard.Block(qlry::kCfDib)), BlockBytes(fake.memory, expected));
    fake.memory.Free(expected);

    CxImage fromPng, fromV5;
    ASSERT_TRUE(DecodePngBytes(BlockBytes(fake.memory, fake.clipboard.Block(png)), fromPng));
    EXPECT_TRUE(SamePicture(fromPng, logo));
    ASSERT_TRUE(fromV5.ImportDibHandle(fake.clipboard.Block(qlry::kCfDibV5), fake.memory));
    EXPECT_TRUE(SamePicture(fromV5, logo));
}

TEST_F(ClipboardAlpha, TransparentPaletteIndexTravelsAsAlpha) {
    CxImage icon;
    ASSERT_NE(icon.Create(6, 2, 8), nullptr);
    for (uint8_t i = 0; i < 6; ++i) icon.SetPaletteColor(i, uint8_t(40 * i), 90, uint8_t(255 - 40 * i));
    for (uint32_t x = 0; x < 6; ++x) {
        icon.SetPixelIndex(x, 0, static_cast<uint8_t>(x));
        icon.SetPixelIndex(x, 1, static_cast<uint8_t>(5 - x));
    }
    icon.SetTransIndex(3);
    ASSERT_TRUE(icon.Save(Path("icon.png"), CXIMAGE_FORMAT_PNG, fake.files));

    ASSERT_EQ(transfer.CopyToClipboard(Path("icon.png")), kTransferOk);
    ASSERT_TRUE(fake.clipboard.Has(png));
    CxImage fromV5;
    ASSERT_TRUE(fromV5.ImportDibHandle(fake.clipboard.Block(qlry::kCfDibV5), fake.memory));
    ASSERT_TRUE(fromV5.AlphaIsValid());
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(fromV5.AlphaGet(x, y), icon.GetPixelIndex(x, y) == 3 ? 0 : 255) << x << "," << y;
            const CxRgbQuad want = icon.GetPixelColor(x, y, false), got = fromV5.GetPixelColor(x, y, false);
            EXPECT_EQ(got.rgbRed, want.rgbRed);
            EXPECT_EQ(got.rgbBlue, want.rgbBlue);
        }
    }
}

TEST_F(ClipboardAlpha, OpaqueCopyGetsCfDibAlone) {
    CxImage other;
    PaintOther(other);
    ASSERT_TRUE(other.Save(Path("photo.png"), CXIMAGE_FORMAT_PNG, fake.files));
    ASSERT_TRUE(other.Save(Path("photo.bmp"), CXIMAGE_FORMAT_BMP, fake.files));
    for (const char* name : {"photo.png", "photo.bmp"}) {
        ASSERT_EQ(transfer.CopyToClipboard(Path(name)), kTransferOk) << name;
        EXPECT_TRUE(fake.clipboard.Has(qlry::kCfDib)) << name;
        EXPECT_FALSE(fake.clipboard.Has(png)) << name;
        EXPECT_FALSE(fake.clipboard.Has(qlry::kCfDibV5)) << name;
    }
    EXPECT_EQ(fake.memory.LiveBlocks(), 1u);
}

// Every picture of the PNG suite that decodes: "PNG" and CF_DIBV5 come
// exactly with transparency, and both describe the same pixels and alpha.
TEST_F(ClipboardAlpha, PngAndDibV5AgreeOverTheCorpus) {
    int transparent = 0, opaque = 0;
    for (const auto& entry : qlry::test::CorpusEntries("png")) {
        if (entry.corrupt) continue;
        SCOPED_TRACE(entry.name);
        const std::vector<uint8_t> bytes = qlry::test::ReadCorpusBytes("png/" + entry.name);
        CxImage file;
        if (!DecodePngBytes(bytes, file)) continue;
        const std::wstring path = Path("corpus.png");
        Write(path, std::string(bytes.begin(), bytes.end()));
        ASSERT_EQ(transfer.CopyToClipboard(path), kTransferOk);
        const bool expected = cximage::HasTransparency(file);
        ASSERT_EQ(fake.clipboard.Has(png), expected);
        ASSERT_EQ(fake.clipboard.Has(qlry::kCfDibV5), expected);
        if (!expected) {
            ++opaque;
            continue;
        }
        ++transparent;
        CxImage fromPng;
        ASSERT_TRUE(DecodePngBytes(BlockBytes(fake.memory, fake.clipboard.Block(png)), fromPng));
        qlry::HGlobal again = cximage::ExportDibV5Handle(fromPng, fake.memory);
        EXPECT_EQ(BlockBytes(fake.memory, again), BlockBytes(fake.memory, fake.clipboard.Block(qlry::kCfDibV5)));
        fake.memory.Free(again);
    }
    EXPECT_GE(transparent, 10);  // RGBA, palette alpha and single transparent entries
    EXPECT_GE(opaque, 50);
}

TEST_F(ClipboardAlpha, RefusedAlphaFormatsLeaveTheCopyOnCfDib) {
    CxImage logo;
    PaintLogo(logo);
    ASSERT_TRUE(logo.Save(Path("logo.png"), CXIMAGE_FORMAT_PNG, fake.files));

    fake.clipboard.refuseFormat = png;
    ASSERT_EQ(transfer.CopyToClipboard(Path("logo.png")), kTransferOk);
    EXPECT_TRUE(fake.clipboard.Has(qlry::kCfDib));
    EXPECT_FALSE(fake.clipboard.Has(png));
    EXPECT_TRUE(fake.clipboard.Has(qlry::kCfDibV5));
    EXPECT_EQ(fake.memory.LiveBlocks(), 2u);  // the refused block was freed

    fake.clipboard.refuseFormat = 0;
    fake.clipboard.failRegister = true;  // no number for "PNG"
    ASSERT_EQ(transfer.CopyToClipboard(Path("logo.png")), kTransferOk);
    EXPECT_FALSE(fake.clipboard.Has(png));
    EXPECT_TRUE(fake.clipboard.Has(qlry::kCfDibV5));
    EXPECT_EQ(fake.memory.LiveBlocks(), 2u);

    fake.clipboard.failRegister = false;
    fake.clipboard.PutText(u"keep");
    fake.clipboard.failEmpty = true;  // nothing is handed over at all
    EXPECT_EQ(transfer.CopyToClipboard(Path("logo.png")), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"keep");
    EXPECT_EQ(fake.memory.LiveBlocks(), 3u);
}

TEST_F(ClipboardAlpha, PngAloneFromAnotherProgramPastesWithItsAlpha) {
    const std::vector<uint8_t> file = qlry::test::ReadCorpusBytes("png/pngsuite_basn6a08.png");  // 8-bit RGBA
    ASSERT_FALSE(file.empty());
    CxImage original;
    ASSERT_TRUE(DecodePngBytes(file, original));
    ASSERT_TRUE(original.AlphaIsValid());
    PutPng(file);

    CxImage asPng, asTga, asBmp;
    ASSERT_TRUE(PastedAs("x.png", asPng));
    EXPECT_TRUE(SamePicture(asPng, original));
    ASSERT_TRUE(PastedAs("x.tga", asTga));
    EXPECT_TRUE(SamePicture(asTga, original));
    // A format without alpha gets the colours.
    ASSERT_TRUE(PastedAs("x.bmp", asBmp));
    EXPECT_FALSE(asBmp.AlphaIsValid());
    original.AlphaDelete();
    EXPECT_TRUE(SamePicture(asBmp, original));
    EXPECT_EQ(fake.clipboard.GetCount(qlry::kCfDib), 0);  // the PNG was enough
}

TEST_F(ClipboardAlpha, PasteReadsPngFirstThenDibV5ThenDib) {
    CxImage logo, other;
    PaintLogo(logo);
    PaintOther(other);
    PutDib(other);
    PutDibV5(other);
    PutPng(logo);
    CxImage written;
    ASSERT_TRUE(PastedAs("x.png", written));
    EXPECT_TRUE(SamePicture(written, logo));

    // Without a "PNG", CF_DIBV5 keeps the alpha that CF_DIB has lost.
    fake.clipboard.Remove(png);
    PutDib(logo);
    PutDibV5(logo);
    ASSERT_TRUE(PastedAs("y.png", written));
    EXPECT_TRUE(SamePicture(written, logo));

    // CF_DIB alone: the colours, as always.
    fake.clipboard.Remove(qlry::kCfDibV5);
    ASSERT_TRUE(PastedAs("z.png", written));
    EXPECT_FALSE(written.AlphaIsValid());
    logo.AlphaDelete();
    EXPECT_TRUE(SamePicture(written, logo));
}

TEST_F(ClipboardAlpha, UnreadableRichFormatsFallBackToCfDib) {
    CxImage other;
    PaintOther(other);
    PutDib(other);
    PutPng(std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0, 1, 2, 3});
    fake.clipboard.Put(qlry::kCfDibV5, BlockOf(std::vector<uint8_t>(20, 0)));  // shorter than a header
    CxImage written;
    ASSERT_TRUE(PastedAs("x.bmp", written));
    EXPECT_TRUE(SamePicture(written, other));
    EXPECT_EQ(fake.clipboard.OpenCount(), 2);  // the PNG is decoded with the clipboard closed
    EXPECT_EQ(fake.memory.LockCount(fake.clipboard.Block(png)), 0);
    EXPECT_EQ(fake.memory.LockCount(fake.clipboard.Block(qlry::kCfDibV5)), 0);

    // Nothing readable at all: the file stays as it was.
    fake.clipboard.Remove(qlry::kCfDib);
    Write(Path("keep.png"), "keep");
    EXPECT_EQ(transfer.PasteIntoFile(Path("keep.png"), 0), kTransferFailed);
    EXPECT_EQ(Read(Path("keep.png")), "keep");
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

TEST_F(ClipboardAlpha, PngWithoutARegisteredNumberIsPassedOver) {
    CxImage logo, other;
    PaintLogo(logo);
    PaintOther(other);
    PutPng(logo);
    PutDib(other);
    fake.clipboard.failRegister = true;  // "PNG" has no number: it cannot be asked for
    CxImage written;
    ASSERT_TRUE(PastedAs("x.png", written));
    EXPECT_TRUE(SamePicture(written, other));
}

}  // namespace
