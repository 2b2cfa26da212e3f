// Reading AppFolder: types, sizes, terminators and the size limit.
#include <gtest/gtest.h>

#include "shellext/app_path.h"
#include "support/fake_registry.h"
#include "support/fake_shell.h"

namespace qlry::test {
namespace {

const wchar_t kKey[] = L"Software\\Varnel\\Quillory";

std::vector<uint8_t> Utf16Bytes(const std::wstring& text, bool terminate = true) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminate) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

class AppPathTest : public ::testing::Test {
protected:
    void SetUp() override { shell.files.insert(L"D:\\Q\\Quillory.exe"); }

    bool Read() { return ReadAppPath(registry, shell, path); }
    std::wstring Path() const { return path; }

    FakeRegistry registry;
    FakeShell shell;
    wchar_t path[kPathChars];
};

TEST_F(AppPathTest, StringValueGivesTheProgramPath) {
    registry.PutString(RegRoot::CurrentUser, kKey, L"AppFolder", L"D:\\Q");
    EXPECT_TRUE(Read());
    EXPECT_EQ(L"D:\\Q\\Quillory.exe", Path());
    EXPECT_EQ(0u, registry.OpenHandles());
}

TEST_F(AppPathTest, ExpandStringIsTakenAsItStands) {
    registry.PutString(RegRoot::CurrentUser, kKey, L"AppFolder", L"%LOCALAPPDATA%\\Q", kRegExpandSz);
    EXPECT_FALSE(Read());
    EXPECT_EQ(L"%LOCALAPPDATA%\\Q\\Quillory.exe", Path());
}

TEST_F(AppPathTest, MultiStringNeedsTwoTerminators) {
    auto data = Utf16Bytes(L"D:\\Q");
    data.insert(data.end(), {0, 0});
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegMultiSz, data);
    EXPECT_TRUE(Read());
    EXPECT_EQ(L"D:\\Q\\Quillory.exe", Path());

    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegMultiSz, Utf16Bytes(L"D:\\Q"));
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, UnterminatedStringIsRefused) {
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegSz, Utf16Bytes(L"D:\\Q", false));
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, OddSizeIsRefused) {
    auto data = Utf16Bytes(L"D:\\Q");
    data.push_back(0);
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegSz, data);
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, OtherTypesAreRefused) {
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegBinary, Utf16Bytes(L"D:\\Q"));
    EXPECT_FALSE(Read());
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegDword, {1, 0, 0, 0});
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, EmptyValueIsRefused) {
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegSz, {});
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, MissingKeyOrValueIsRefused) {
    EXPECT_FALSE(Read());
    registry.PutString(RegRoot::CurrentUser, kKey, L"Other", L"D:\\Q");
    EXPECT_FALSE(Read());
    EXPECT_EQ(0u, registry.OpenHandles());
}

TEST_F(AppPathTest, ValueUnderTheMachineHiveIsNotRead) {
    registry.PutString(RegRoot::LocalMachine, kKey, L"AppFolder", L"D:\\Q");
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, FolderOf510CharactersIsTheLongestThatFits) {
    std::wstring folder = L"D:\\" + std::wstring(507, L'f');
    shell.files.insert(folder + L"\\Quillory.exe");
    registry.PutString(RegRoot::CurrentUser, kKey, L"AppFolder", folder);
    EXPECT_TRUE(Read());  // 1022 bytes

    folder += L'g';
    shell.files.insert(folder + L"\\Quillory.exe");
    registry.PutString(RegRoot::CurrentUser, kKey, L"AppFolder", folder);
    EXPECT_FALSE(Read());  // 1024 bytes: over the limit
    EXPECT_EQ(0u, registry.OpenHandles());
}

TEST_F(AppPathTest, ProgramFileMustExist) {
    registry.PutString(RegRoot::CurrentUser, kKey, L"AppFolder", L"D:\\Elsewhere");
    EXPECT_FALSE(Read());
}

TEST_F(AppPathTest, EmbeddedTerminatorEndsTheFolder) {
    auto data = Utf16Bytes(L"D:\\Q");
    auto tail = Utf16Bytes(L"junk");
    data.insert(data.end(), tail.begin(), tail.end());
    registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", kRegSz, data);
    EXPECT_TRUE(Read());
    EXPECT_EQ(L"D:\\Q\\Quillory.exe", Path());
}

}  // namespace
}  // namespace qlry::test
