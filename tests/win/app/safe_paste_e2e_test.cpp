// Quillory.exe never loses a file: real files that cannot be replaced,
// files held open by another program and a full disk.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "win/support/win_test_support.h"

namespace {

using namespace qlry::wintest;

const char kOld[] = "the user's old bytes";

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// What a paste left in a folder, in a fixed order.
std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

struct HeldOpen {
    HANDLE handle;
    HeldOpen(const std::wstring& path, DWORD share)
        : handle(::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};

struct SafePasteEndToEnd : ::testing::Test {
    // A folder of each test's own: the tests count what is left in it.
    std::wstring folder = MakeTempFolder(L"safe-" + TestName());
    static std::wstring TestName() {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name.begin(), name.end());
    }
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
};

TEST_F(SafePasteEndToEnd, ReadOnlyFileIsNeitherReplacedNorLeftWithATemporaryFile) {
    for (const bool text : {true, false}) {
        const wchar_t* name = text ? L"locked.txt" : L"locked.bmp";
        const std::wstring file = Path(name);
        WriteFileBytes(file, kOld);
        ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(text ? PutClipboardText(L"new") : PutClipboardBitmap(4, 4, RGB(1, 2, 3)));
        RunQuillory(L"-p " + Quoted(file));
        EXPECT_EQ(ReadFileBytes(file), kOld) << name;
        EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(Sorted(FolderEntries(folder)), (std::vector<std::wstring>{L"locked.bmp", L"locked.txt"}));
}

TEST_F(SafePasteEndToEnd, FileHeldOpenWithoutSharingIsLeftAlone) {
    const std::wstring file = Path(L"held.bmp");
    WriteFileBytes(file, kOld);
    ASSERT_TRUE(PutClipboardBitmap(4, 4, RGB(1, 2, 3)));
    {
        HeldOpen other(file, 0);
        ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
        RunQuillory(L"-p " + Quoted(file));
    }
    EXPECT_EQ(ReadFileBytes(file), kOld);
    EXPECT_EQ(Sorted(FolderEntries(folder)), std::vector<std::wstring>{L"held.bmp"});
}

TEST_F(SafePasteEndToEnd, FileThatAnotherProgramReadsWithSharingIsStillPasted) {
    // It cannot be replaced while the other program has it open; it is then
    // written in place, as before, once the whole output is ready.
    const std::wstring file = Path(L"shared.txt");
    WriteFileBytes(file, kOld);
    ASSERT_TRUE(PutClipboardText(L"new"));
    {
        HeldOpen other(file, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
        ASSERT_EQ(RunQuillory(L"-p " + Quoted(file)), 0);
    }
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_EQ(Sorted(FolderEntries(folder)), std::vector<std::wstring>{L"shared.txt"});
}

// A small full file system, mounted by the test harness where the machine allows it.
struct FullDisk : ::testing::Test {
    std::wstring folder;
    void SetUp() override {
        const char* where = std::getenv("QLRY_FULL_DIR");
        if (!where || !*where) GTEST_SKIP() << "no small file system was mounted for this run";
        folder.assign(where, where + std::strlen(where));
    }
    std::wstring Path(const wchar_t* name) { return folder + L"\\" + name; }
};

TEST_F(FullDisk, ReplaceAppendAndImagePasteLeaveTheOldBytes) {
    const std::wstring text = Path(L"notes.txt");
    const std::wstring picture = Path(L"picture.bmp");
    WriteFileBytes(text, kOld);
    WriteFileBytes(picture, kOld);

    ASSERT_TRUE(PutClipboardText(std::wstring(400000, L'x')));  // far more than the disk holds
    RunQuillory(L"-p " + Quoted(text));
    EXPECT_EQ(ReadFileBytes(text), kOld);
    RunQuillory(L"-p " + Quoted(text) + L" /a");
    EXPECT_EQ(ReadFileBytes(text), kOld);

    ASSERT_TRUE(PutClipboardBitmap(400, 400, RGB(1, 2, 3)));
    RunQuillory(L"-p " + Quoted(picture));
    EXPECT_EQ(ReadFileBytes(picture), kOld);

    EXPECT_EQ(Sorted(FolderEntries(folder)), (std::vector<std::wstring>{L"notes.txt", L"picture.bmp"}));
    ::DeleteFileW(text.c_str());
    ::DeleteFileW(picture.c_str());
}

}  // namespace
