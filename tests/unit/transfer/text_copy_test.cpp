#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "transfer/clipboard_text.h"
#include "transfer/text_transfer.h"

namespace {

using qlry::test::FakeServices;

const std::wstring kPath = L"C:\\dir\\notes.txt";

struct TextCopy : ::testing::Test {
    FakeServices fake;
    CTextTransfer transfer{fake.services};

    int Copy(const std::string& bytes) {
        fake.files.files[kPath] = bytes;
        return transfer.CopyToClipboard(kPath);
    }
};

TEST_F(TextCopy, PutsTheFileTextOnTheClipboard) {
    EXPECT_EQ(Copy("abc\ndef"), kTransferOk);
    EXPECT_EQ(fake.clipboard.Text(), u"abc\r\ndef\r\n");
    EXPECT_EQ(fake.clipboard.EmptyCount(), 1);
    EXPECT_FALSE(fake.clipboard.IsOpen());
    EXPECT_EQ(fake.cursor.shown, 1);
    EXPECT_EQ(fake.cursor.depth, 0);
}

TEST_F(TextCopy, OpensForReadingWithFullSharing) {
    Copy("x");
    ASSERT_EQ(fake.files.opens.size(), 1u);
    EXPECT_EQ(fake.files.opens[0].access, qlry::FileAccess::Read);
    EXPECT_EQ(fake.files.opens[0].share, qlry::FileShare::ReadWrite);
    EXPECT_EQ(fake.files.opens[0].disposition, qlry::FileDisposition::OpenExisting);
}

TEST_F(TextCopy, BlockHoldsTheTextAndItsNul) {
    Copy("ab");
    qlry::HGlobal block = fake.clipboard.Block(qlry::kCfUnicodeText);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(fake.memory.Size(block), 5u * 2);  // a b CR LF NUL
    EXPECT_EQ(fake.memory.LockCount(block), 0);
}

TEST_F(TextCopy, EmptyResultLeavesTheClipboardAlone) {
    fake.clipboard.PutText(u"before");
    EXPECT_EQ(Copy(""), kTransferFailed);
    EXPECT_EQ(Copy("\x1a rest"), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"before");
    EXPECT_EQ(fake.clipboard.OpenCount(), 0);
}

TEST_F(TextCopy, UnreadableFilesLeaveTheClipboardAlone) {
    fake.clipboard.PutText(u"before");
    EXPECT_EQ(transfer.CopyToClipboard(L"C:\\missing.txt"), kTransferFailed);

    fake.files.folders.insert(L"C:\\folder");
    EXPECT_EQ(transfer.CopyToClipboard(L"C:\\folder"), kTransferFailed);

    fake.files.files[L"C:\\locked.txt"] = "x";
    fake.files.locked.insert(L"C:\\locked.txt");
    EXPECT_EQ(transfer.CopyToClipboard(L"C:\\locked.txt"), kTransferFailed);

    fake.files.failRead = true;
    EXPECT_EQ(Copy("abc"), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"before");
    EXPECT_EQ(fake.clipboard.OpenCount(), 0);
}

TEST_F(TextCopy, BusyClipboardChangesNothing) {
    fake.clipboard.PutText(u"before");
    fake.clipboard.failOpen = true;
    EXPECT_EQ(Copy("abc"), kTransferFailed);
    EXPECT_EQ(fake.clipboard.Text(), u"before");
    EXPECT_EQ(fake.cursor.depth, 0);
}

TEST_F(TextCopy, FailedAllocationLeavesTheClipboardEmptied) {
    fake.clipboard.PutText(u"before");
    fake.memory.failAlloc = true;
    EXPECT_EQ(Copy("abc"), kTransferFailed);
    EXPECT_FALSE(fake.clipboard.Has(qlry::kCfUnicodeText));
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

TEST_F(TextCopy, RefusedBlockIsFreed) {
    fake.clipboard.failSet = true;
    EXPECT_EQ(Copy("abc"), kTransferFailed);
    EXPECT_EQ(fake.memory.LiveBlocks(), 0u);
}

TEST_F(TextCopy, FailedEmptyStillHandsOverTheText) {
    fake.clipboard.failEmpty = true;
    EXPECT_EQ(Copy("abc"), kTransferOk);
    EXPECT_EQ(fake.clipboard.Text(), u"abc\r\n");
}

TEST_F(TextCopy, CrLfAcrossReadChunksStaysOneLineEnd) {
    std::string bytes(65535, 'x');
    bytes += "\r\nend";
    Copy(bytes);
    std::u16string text = fake.clipboard.Text();
    ASSERT_EQ(text.size(), 65535u + 2 + 3 + 2);
    EXPECT_EQ(text.substr(65535), u"\r\nend\r\n");
}

TEST(SetClipboardText, RefusesMissingOrEmptyText) {
    FakeServices fake;
    EXPECT_FALSE(SetClipboardText(fake.clipboard, fake.memory, fake.cursor, nullptr, 0));
    EXPECT_FALSE(SetClipboardText(fake.clipboard, fake.memory, fake.cursor, u"", 0));
    EXPECT_EQ(fake.clipboard.OpenCount(), 0);
    EXPECT_EQ(fake.cursor.shown, 0);
}

}  // namespace
