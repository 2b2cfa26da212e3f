#include <cstring>

#include <gtest/gtest.h>

#include "platform/safe_write.h"
#include "support/fake_services.h"
#include "transfer/clipboard_text.h"
#include "transfer/text_transfer.h"

namespace {

using qlry::test::FakeServices;

const std::wstring kPath = L"C:\\dir\\notes.txt";

struct TextPaste : ::testing::Test {
    FakeServices fake;
    CTextTransfer transfer{fake.services};

    int Paste(const std::u16string& clip, int append) {
        fake.clipboard.PutText(clip);
        return transfer.PasteIntoFile(kPath, append);
    }
    std::string& File() { return fake.files.files[kPath]; }
};

TEST_F(TextPaste, ReplaceCreatesOrEmptiesTheFile) {
    EXPECT_EQ(Paste(u"xyz", 0), kTransferOk);
    EXPECT_EQ(File(), "xyz");
    EXPECT_EQ(Paste(u"12", 0), kTransferOk);
    EXPECT_EQ(File(), "12");
    // Each replace writes a new temporary file beside the target and puts it in place.
    ASSERT_EQ(fake.files.opens.size(), 2u);
    for (const qlry::test::OpenCall& open : fake.files.opens) {
        EXPECT_EQ(open.path, qlry::TemporaryNameFor(kPath, 0));
        EXPECT_EQ(open.access, qlry::FileAccess::Write);
        EXPECT_EQ(open.disposition, qlry::FileDisposition::CreateNew);
    }
    EXPECT_EQ(fake.files.files.size(), 1u);
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

TEST_F(TextPaste, EmptyClipboardTextEmptiesTheFile) {
    File() = "old";
    EXPECT_EQ(Paste(u"", 0), kTransferOk);
    EXPECT_EQ(File(), "");
}

TEST_F(TextPaste, AppendWritesTheSeparatorFirst) {
    File() = "abc";
    EXPECT_EQ(Paste(u"xyz", 1), kTransferOk);
    EXPECT_EQ(File(), "abc\r\nxyz");
    EXPECT_EQ(fake.files.opens.back().disposition, qlry::FileDisposition::OpenExisting);

    File() = "";
    Paste(u"xyz", 1);
    EXPECT_EQ(File(), "\r\nxyz");

    File() = "line\r\n";
    Paste(u"xyz", 1);
    EXPECT_EQ(File(), "line\r\n\r\nxyz");
}

TEST_F(TextPaste, AppendToAMissingFileCreatesNothing) {
    fake.clipboard.PutText(u"xyz");
    EXPECT_EQ(transfer.PasteIntoFile(L"C:\\none.txt", 1), kTransferFailed);
    EXPECT_EQ(fake.files.files.count(L"C:\\none.txt"), 0u);
}

TEST_F(TextPaste, LineEndsAndCharacters) {
    Paste(u"a\nb\r\nc\rd", 0);
    EXPECT_EQ(File(), "a\r\nb\r\nc\rd");
    Paste(u"caf\u00e9", 0);
    EXPECT_EQ(File(), "caf\xE9");
    Paste(u"caf\u00e9 \u20ac", 0);
    EXPECT_EQ(File(), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST_F(TextPaste, NoTextLeavesTheFileAlone) {
    File() = "keep";
    EXPECT_EQ(transfer.PasteIntoFile(kPath, 0), kTransferFailed);
    fake.clipboard.PutText(u"new");
    fake.clipboard.failOpen = true;
    EXPECT_EQ(transfer.PasteIntoFile(kPath, 0), kTransferFailed);
    fake.clipboard.failOpen = false;
    fake.memory.failLock = true;
    EXPECT_EQ(transfer.PasteIntoFile(kPath, 0), kTransferFailed);
    EXPECT_EQ(File(), "keep");
    EXPECT_EQ(fake.files.opens.size(), 0u);
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

TEST_F(TextPaste, LockedFileIsLeftAlone) {
    File() = "keep";
    fake.files.locked.insert(kPath);
    EXPECT_EQ(Paste(u"new", 0), kTransferFailed);
    EXPECT_EQ(File(), "keep");
}

TEST_F(TextPaste, WriteAndCloseFailuresAreReported) {
    fake.files.failWrite = true;
    EXPECT_EQ(Paste(u"new", 0), kTransferFailed);
    fake.files.failWrite = false;
    fake.files.failClose = true;
    EXPECT_EQ(Paste(u"new", 0), kTransferFailed);
}

TEST(GetClipboardText, StopsAtTheBlockEndWithoutANul) {
    FakeServices fake;
    qlry::HGlobal block = fake.memory.Alloc(qlry::kGmemMoveable, 6);
    {
        qlry::GlobalLockGuard lock(fake.memory, block);
        std::memcpy(lock.get(), u"abc", 6);  // three units, no terminator
    }
    fake.clipboard.Put(qlry::kCfUnicodeText, block);
    std::u16string text;
    ASSERT_TRUE(GetClipboardText(fake.clipboard, fake.memory, text));
    EXPECT_EQ(text, u"abc");
    EXPECT_EQ(fake.memory.LockCount(block), 0);
}

TEST(GetClipboardText, StopsAtTheFirstNul) {
    FakeServices fake;
    fake.clipboard.PutText(std::u16string(u"ab\0cd", 5));
    std::u16string text;
    ASSERT_TRUE(GetClipboardText(fake.clipboard, fake.memory, text));
    EXPECT_EQ(text, u"ab");
}

}  // namespace
