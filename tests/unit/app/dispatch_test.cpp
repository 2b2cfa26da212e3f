#include "app/dispatch.h"

#include <gtest/gtest.h>

#include "app/clipboard_kind.h"
#include "support/fake_services.h"

namespace {

using qlry::test::FakeServices;

TEST(GetClipboardKind, TextWinsOverABitmap) {
    FakeServices fake;
    EXPECT_EQ(GetClipboardKind(fake.clipboard), KindNone);

    fake.clipboard.Put(qlry::kCfDib, fake.memory.Alloc(qlry::kGmemMoveable, 64));
    EXPECT_EQ(GetClipboardKind(fake.clipboard), KindImage);

    fake.clipboard.PutText(u"hello");
    EXPECT_EQ(GetClipboardKind(fake.clipboard), KindText);
    EXPECT_FALSE(fake.clipboard.IsOpen());
}

TEST(GetClipboardKind, ABusyClipboardHoldsNothing) {
    FakeServices fake;
    fake.clipboard.PutText(u"hello");
    fake.clipboard.failOpen = true;
    EXPECT_EQ(GetClipboardKind(fake.clipboard), KindNone);
}

TEST(RunPaste, NothingUsableOnTheClipboardDoesNothing) {
    FakeServices fake;
    EXPECT_EQ(RunPaste(L"C:\\notes.txt", 0, 0, fake.services), -1);
    EXPECT_TRUE(fake.files.opens.empty());

    fake.clipboard.PutText(u"x");
    fake.clipboard.failOpen = true;
    EXPECT_EQ(RunPaste(L"C:\\notes.txt", 0, 0, fake.services), -1);
    EXPECT_TRUE(fake.files.files.empty());
}

TEST(RunPaste, TextIsPastedEvenIntoAnImageName) {
    FakeServices fake;
    fake.clipboard.Put(qlry::kCfDib, fake.memory.Alloc(qlry::kGmemMoveable, 64));
    fake.clipboard.PutText(u"text");
    EXPECT_EQ(RunPaste(L"C:\\picture.png", 0, 0, fake.services), 0);
    EXPECT_EQ(fake.files.files[L"C:\\picture.png"], "text");
}

TEST(RunPaste, AppendFlagReachesTheHandler) {
    FakeServices fake;
    fake.files.files[L"C:\\notes.txt"] = "abc";
    fake.clipboard.PutText(u"xyz");
    RunPaste(L"C:\\notes.txt", 1, 0, fake.services);
    EXPECT_EQ(fake.files.files[L"C:\\notes.txt"], "abc\r\nxyz");
}

TEST(RunPaste, NewFileAsksForANameAndIgnoresAppend) {
    FakeServices fake;
    fake.files.folders.insert(L"C:\\dir");
    fake.clipboard.PutText(u"xyz");
    fake.dialogs.chosen = {L"new", L".txt"};
    EXPECT_EQ(RunPaste(L"C:\\dir", 1, 1, fake.services), 0);
    EXPECT_EQ(fake.dialogs.textAsked, 1);
    EXPECT_EQ(fake.dialogs.askedFolder, L"C:\\dir");
    EXPECT_EQ(fake.files.files[L"C:\\dir\\new.txt"], "xyz");
}

TEST(RunCopy, TheExtensionChoosesTheHandler) {
    FakeServices fake;
    fake.files.files[L"C:\\notes.txt"] = "abc";
    fake.files.files[L"C:\\photo.jpeg"] = "jpeg bytes";
    EXPECT_EQ(RunCopy(L"C:\\notes.txt", fake.services), 0);
    EXPECT_EQ(fake.clipboard.Text(), u"abc\r\n");

    // ".jpeg" names an image format, so the image handler takes the file
    // (these bytes are no picture: the clipboard keeps the text).
    EXPECT_EQ(RunCopy(L"C:\\photo.jpeg", fake.services), 0);
    EXPECT_EQ(fake.clipboard.Text(), u"abc\r\n");
}

}  // namespace
