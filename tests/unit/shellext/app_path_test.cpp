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

// `bytes` with `more` behind them.
std::vector<uint8_t> Joined(std::vector<uint8_t> bytes, const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TEST_F(AppPathTest, ValueFormsThatNameTheFolderAndThoseRefused) {
    const std::wstring program = L"D:\\Q\\Quillory.exe";
    const struct {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        bool read;
        std::wstring path;  // what the buffer holds afterwards
    } cases[] = {
        {"string", kRegSz, Utf16Bytes(L"D:\\Q"), true, program},
        {"multi-string, two terminators", kRegMultiSz, Joined(Utf16Bytes(L"D:\\Q"), {0, 0}), true, program},
        {"embedded terminator ends the folder", kRegSz, Joined(Utf16Bytes(L"D:\\Q"), Utf16Bytes(L"junk")), true,
         program},
        // Taken as it stands: no program of that name.
        {"expand-string", kRegExpandSz, Utf16Bytes(L"%LOCALAPPDATA%\\Q"), false, L"%LOCALAPPDATA%\\Q\\Quillory.exe"},
        {"multi-string, one terminator", kRegMultiSz, Utf16Bytes(L"D:\\Q"), false, L""},
        {"unterminated", kRegSz, Utf16Bytes(L"D:\\Q", false), false, L""},
        {"odd size", kRegSz, Joined(Utf16Bytes(L"D:\\Q"), {0}), false, L""},
        {"binary", kRegBinary, Utf16Bytes(L"D:\\Q"), false, L""},
        {"dword", kRegDword, {1, 0, 0, 0}, false, L""},
        {"empty", kRegSz, {}, false, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry.PutRaw(RegRoot::CurrentUser, kKey, L"AppFolder", c.type, c.data);
        EXPECT_EQ(c.read, Read());
        EXPECT_EQ(c.path, Path());
        EXPECT_EQ(0u, registry.OpenHandles());
    }
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

}  // namespace
}  // namespace qlry::test
