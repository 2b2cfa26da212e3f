// Quillory.exe against the real clipboard: text both ways.
#include <gtest/gtest.h>

#include "win/support/win_test_support.h"

namespace {

using namespace qlry::wintest;

struct TextEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"text");
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(TextEndToEnd, PasteReplacesTheFile) {
    const std::wstring file = Path(L"replace.txt");
    WriteFileBytes(file, "old contents that are longer");
    ASSERT_TRUE(PutClipboardText(L"caf\u00e9\nline two\r\nend"));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    EXPECT_EQ(ReadFileBytes(file), "caf\xE9\r\nline two\r\nend");
}

TEST_F(TextEndToEnd, PasteAppendsWithASeparator) {
    const std::wstring file = Path(L"append me.txt");
    WriteFileBytes(file, "abc");
    ASSERT_TRUE(PutClipboardText(L"xyz"));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(file) + L" /a"), 0);
    EXPECT_EQ(ReadFileBytes(file), "abc\r\nxyz");
}

TEST_F(TextEndToEnd, AppendToAMissingFileCreatesNothing) {
    const std::wstring file = Path(L"missing.txt");
    ASSERT_TRUE(PutClipboardText(L"xyz"));
    RunQuillory(L"-p " + Quoted(file) + L" /a");
    EXPECT_FALSE(FileExists(file));
}

TEST_F(TextEndToEnd, TextBeyondLatin1IsWrittenAsUtf8) {
    const std::wstring file = Path(L"\u00fcnicode \u4e2d.txt");
    ASSERT_TRUE(PutClipboardText(L"\u20ac \u4e2d"));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    EXPECT_EQ(ReadFileBytes(file), "\xE2\x82\xAC \xE4\xB8\xAD");
}

TEST_F(TextEndToEnd, CopyPutsUtf16TextOnTheClipboard) {
    const std::wstring file = Path(L"copy.txt");
    WriteFileBytes(file, "first\nsecond\r\nthird \xE9\xFF");
    ASSERT_TRUE(PutClipboardText(L"before"));
    ASSERT_EQ(RunQuillory(L"-c " + Quoted(file)), 0);
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"first\r\nsecond\r\nthird \u00e9\u00ff\r\n");
}

TEST_F(TextEndToEnd, CopyOfAnEmptyFileLeavesTheClipboard) {
    const std::wstring file = Path(L"empty.txt");
    WriteFileBytes(file, "");
    ASSERT_TRUE(PutClipboardText(L"before"));
    RunQuillory(L"-c " + Quoted(file));
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"before");
}

TEST_F(TextEndToEnd, ABusyClipboardMakesBothOperationsDoNothing) {
    const std::wstring file = Path(L"busy.txt");
    WriteFileBytes(file, "keep");
    ASSERT_TRUE(PutClipboardText(L"clip"));
    // This process holds the clipboard open through a window of its own.
    HWND holder = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::OpenClipboard(holder));
    EXPECT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    EXPECT_EQ(RunQuillory(L"-c " + Quoted(file)), 0);
    ::CloseClipboard();
    ::DestroyWindow(holder);
    EXPECT_EQ(ReadFileBytes(file), "keep");
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"clip");
}

// A handle of "another program" on a file, with the given access and sharing.
struct HeldFile {
    HANDLE handle;
    HeldFile(const std::wstring& path, DWORD access, DWORD share)
        : handle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
};

TEST_F(TextEndToEnd, CopyReadsAFileThatAnotherProgramHasOpenForWriting) {
    const std::wstring file = Path(L"shared-copy.txt");
    WriteFileBytes(file, "shared");
    HeldFile other(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PutClipboardText(L"before"));
    ASSERT_EQ(RunQuillory(L"-c " + Quoted(file)), 0);
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"shared\r\n");
}

TEST_F(TextEndToEnd, PasteWritesAFileThatAnotherProgramHasOpen) {
    const std::wstring replaced = Path(L"shared-replace.txt");
    const std::wstring appended = Path(L"shared-append.txt");
    WriteFileBytes(replaced, "old");
    WriteFileBytes(appended, "abc");
    HeldFile first(replaced, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    HeldFile second(appended, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(first.handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(second.handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PutClipboardText(L"xyz"));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(replaced)), 0);
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(appended) + L" /a"), 0);
    EXPECT_EQ(ReadFileBytes(replaced), "xyz");
    EXPECT_EQ(ReadFileBytes(appended), "abc\r\nxyz");
}

TEST_F(TextEndToEnd, AFileLockedWithoutSharingIsLeftAlone) {
    const std::wstring file = Path(L"locked.txt");
    WriteFileBytes(file, "keep");
    ASSERT_TRUE(PutClipboardText(L"clip"));
    {
        HeldFile other(file, GENERIC_READ, 0);
        ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
        RunQuillory(L"-c " + Quoted(file));
        RunQuillory(L"-p " + Quoted(file));
        RunQuillory(L"-p " + Quoted(file) + L" /a");
    }
    EXPECT_EQ(ReadFileBytes(file), "keep");
    std::wstring text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, L"clip");
}

TEST_F(TextEndToEnd, ReplacingKeepsTheFileAttributes) {
    const std::wstring file = Path(L"hidden.txt");
    WriteFileBytes(file, "old contents");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(PutClipboardText(L"new"));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TextEndToEnd, TextWinsOverABitmap) {
    const std::wstring file = Path(L"picture.png");
    WriteFileBytes(file, "old");
    const std::wstring text = L"words";
    ASSERT_TRUE(PutClipboard(&text, 8, 8, RGB(255, 0, 0)));
    ASSERT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    EXPECT_EQ(ReadFileBytes(file), "words");
}

TEST_F(TextEndToEnd, AnEmptyClipboardPastesNothing) {
    const std::wstring file = Path(L"nothing.txt");
    WriteFileBytes(file, "keep");
    ASSERT_TRUE(EmptyTheClipboard());
    RunQuillory(L"-p " + Quoted(file));
    EXPECT_EQ(ReadFileBytes(file), "keep");
}

TEST_F(TextEndToEnd, APathAloneDoesNothing) {
    const std::wstring file = Path(L"alone.txt");
    WriteFileBytes(file, "keep");
    ASSERT_TRUE(PutClipboardText(L"clip"));
    EXPECT_EQ(RunQuillory(Quoted(file), 10000), 0);  // ends without a window
    EXPECT_EQ(ReadFileBytes(file), "keep");
}

}  // namespace
