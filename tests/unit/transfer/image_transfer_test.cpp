#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "transfer/image_transfer.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FakeServices;

struct ImageTransfer : ::testing::Test {
    FakeServices fake;
    CImageTransfer transfer{fake.services};

    static std::wstring Path(const char* name) { return L"C:\\pics\\" + std::wstring(name, name + std::strlen(name)); }
    std::string Read(const std::wstring& path) { return fake.files.files[path]; }
    void Write(const std::wstring& path, const std::string& bytes) { fake.files.files[path] = bytes; }

    // A 3 x 2 picture with six different colours.
    static void Paint(CxImage& image) {
        ASSERT_NE(image.Create(3, 2, 24, CXIMAGE_FORMAT_UNKNOWN), nullptr);
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 3; ++x) {
                image.SetPixelColor(x, y, CxRgbQuad{uint8_t(40 * x), uint8_t(100 * y), uint8_t(10 + x + y), 0});
            }
        }
    }
    static void ExpectPainted(CxImage& image) {
        ASSERT_EQ(image.GetWidth(), 3u);
        ASSERT_EQ(image.GetHeight(), 2u);
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 3; ++x) {
                CxRgbQuad c = image.GetPixelColor(x, y);
                EXPECT_EQ(c.rgbBlue, 40 * x);
                EXPECT_EQ(c.rgbGreen, 100 * y);
                EXPECT_EQ(c.rgbRed, 10 + x + y);
            }
        }
    }
    void PutBitmapOnClipboard() {
        CxImage image;
        Paint(image);
        fake.clipboard.Put(qlry::kCfDib, image.ExportDibHandle(fake.memory));
    }
};

TEST_F(ImageTransfer, CopyPutsTheDecodedPictureOnTheClipboard) {
    CxImage image;
    Paint(image);
    // The content decides the codec: a BMP file named .png is still read.
    ASSERT_TRUE(image.Save(Path("picture.png"), CXIMAGE_FORMAT_BMP, fake.files));
    fake.clipboard.PutText(u"before");

    EXPECT_EQ(transfer.CopyToClipboard(Path("picture.png")), kTransferOk);
    EXPECT_FALSE(fake.clipboard.Has(qlry::kCfUnicodeText));
    EXPECT_FALSE(fake.clipboard.IsOpen());
    CxImage back;
    ASSERT_TRUE(back.ImportDibHandle(fake.clipboard.Block(qlry::kCfDib), fake.memory));
    ExpectPainted(back);
}

TEST_F(ImageTransfer, UnreadableImageLeavesTheClipboard) {
    Write(Path("broken.bmp"), "BM not really a bitmap");
    fake.clipboard.PutText(u"before");
    EXPECT_EQ(transfer.CopyToClipboard(Path("broken.bmp")), kTransferFailed);
    EXPECT_EQ(transfer.CopyToClipboard(Path("missing.bmp")), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"before");
    EXPECT_EQ(fake.clipboard.OpenCount(), 0);
}

TEST_F(ImageTransfer, ClipboardThatCannotBeEmptiedKeepsItsContents) {
    CxImage image;
    Paint(image);
    ASSERT_TRUE(image.Save(Path("p.bmp"), CXIMAGE_FORMAT_BMP, fake.files));
    fake.clipboard.PutText(u"before");
    fake.clipboard.failEmpty = true;
    EXPECT_EQ(transfer.CopyToClipboard(Path("p.bmp")), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"before");
    EXPECT_FALSE(fake.clipboard.Has(qlry::kCfDib));
    EXPECT_EQ(fake.memory.LiveBlocks(), 1u);  // only the text: the bitmap block was freed

    fake.clipboard.failEmpty = false;
    fake.clipboard.failOpen = true;
    EXPECT_EQ(transfer.CopyToClipboard(Path("p.bmp")), kTransferFailed);
    EXPECT_EQ(fake.memory.LiveBlocks(), 1u);
}

TEST_F(ImageTransfer, PasteEncodesByTheExtensionAndIgnoresAppend) {
    PutBitmapOnClipboard();
    Write(Path("x.bmp"), "old contents");
    EXPECT_EQ(transfer.PasteIntoFile(Path("x.bmp"), 0), kTransferOk);
    const std::string plain = Read(Path("x.bmp"));
    EXPECT_EQ(plain.substr(0, 2), "BM");
    EXPECT_FALSE(fake.clipboard.IsOpen());
    EXPECT_TRUE(fake.clipboard.Has(qlry::kCfDib));  // the block stays the clipboard's

    EXPECT_EQ(transfer.PasteIntoFile(Path("x.bmp"), 1), kTransferOk);
    EXPECT_EQ(Read(Path("x.bmp")), plain);

    CxImage back;
    ASSERT_TRUE(back.Load(Path("x.bmp"), CXIMAGE_FORMAT_UNKNOWN, fake.files));
    ExpectPainted(back);
}

TEST_F(ImageTransfer, PasteWithoutAFormatOrABitmapLeavesFilesAlone) {
    PutBitmapOnClipboard();
    Write(Path("notes.txt"), "keep");
    Write(Path("x.wmf"), "keep");
    EXPECT_EQ(transfer.PasteIntoFile(Path("notes.txt"), 0), kTransferFailed);
    EXPECT_EQ(transfer.PasteIntoFile(Path("x.wmf"), 0), kTransferFailed);
    EXPECT_EQ(Read(Path("notes.txt")), "keep");
    EXPECT_EQ(Read(Path("x.wmf")), "keep");

    fake.clipboard.failOpen = true;
    EXPECT_EQ(transfer.PasteIntoFile(Path("y.bmp"), 0), kTransferFailed);
    fake.clipboard.failOpen = false;
    ASSERT_TRUE(fake.clipboard.Open());
    fake.clipboard.Empty();
    fake.clipboard.Close();
    EXPECT_EQ(transfer.PasteIntoFile(Path("y.bmp"), 0), kTransferFailed);
    EXPECT_EQ(fake.files.files.count(Path("y.bmp")), 0u);
}

TEST_F(ImageTransfer, BrokenClipboardBlockLeavesTheFile) {
    qlry::HGlobal block = fake.memory.Alloc(qlry::kGmemMoveable | qlry::kGmemZeroInit, 20);  // shorter than a header
    fake.clipboard.Put(qlry::kCfDib, block);
    Write(Path("x.bmp"), "keep");
    EXPECT_EQ(transfer.PasteIntoFile(Path("x.bmp"), 0), kTransferFailed);
    EXPECT_EQ(Read(Path("x.bmp")), "keep");
    EXPECT_EQ(fake.memory.LockCount(block), 0);
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

}  // namespace
