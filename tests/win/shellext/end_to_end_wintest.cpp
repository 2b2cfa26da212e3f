// The stand-in host drives the registered handler as Explorer does, and the
// chosen entry starts the program named by AppFolder. A recorder standing in
// for Quillory.exe shows the command line it received; the real Quillory.exe,
// when built, shows the paste itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

class EndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(0, Regsvr32(L""));
        recorderFolder = MakeTempFolder(L"recorder");
        ASSERT_TRUE(::CopyFileW(BinFile(L"qlry_cmdline_recorder.exe").c_str(),
                                (recorderFolder + L"\\Quillory.exe").c_str(), FALSE));
        work = MakeTempFolder(L"e2e");
    }
    static void TearDownTestSuite() { Regsvr32(L"/u"); }

    void SetUp() override { ::DeleteFileW(Launch().c_str()); }

    static std::wstring Launch() { return recorderFolder + L"\\launch.txt"; }

    ProcessResult Host(const std::wstring& arguments) {
        return RunCaptured(BinFile(L"qlry_explorer_host.exe"), arguments);
    }

    // The recorded command line, then the arguments.
    std::vector<std::string> Recorded() { return Lines(WaitForFile(Launch())); }

    // A file of the work folder, written with `content`.
    static std::wstring WorkFile(const std::wstring& name, const std::string& content) {
        const std::wstring path = work + L"\\" + name;
        WriteFileBytes(path, content);
        return path;
    }

    static inline std::wstring recorderFolder, work;
};

TEST_F(EndToEndTest, ImagePasteStartsTheProgramWithoutAppend) {
    AppFolderScope app(recorderFolder);
    const std::wstring file = WorkFile(L"picture.bmp", "BM");
    ASSERT_TRUE(PutClipboard(nullptr, 8, 8, RGB(200, 0, 0)));
    ProcessResult host = Host(L"--invoke \"Paste Clipboard Image to File\" \"" + file + L"\"");
    ASSERT_EQ(0, host.exitCode) << host.output;
    EXPECT_NE(std::string::npos, host.output.find("invoke \"Paste Clipboard Image to File\": 0x00000000"));
    auto lines = Recorded();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("-p", lines[1]);
    EXPECT_EQ(Utf8(file), lines[2]);
}

TEST_F(EndToEndTest, DriveRootBackgroundPassesTheRootItself) {
    AppFolderScope app(recorderFolder);
    std::wstring text = L"for a new file";
    ASSERT_TRUE(PutClipboard(&text, 0, 0, 0));
    ProcessResult host = Host(L"--background C:\\ --invoke \"Paste Clipboard Text as File\"");
    ASSERT_EQ(0, host.exitCode) << host.output;
    auto lines = Recorded();
    ASSERT_EQ(4u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(" -p \"C:\\\\\" /n"));
    EXPECT_EQ("-p", lines[1]);
    EXPECT_EQ("C:\\", lines[2]);
    EXPECT_EQ("/n", lines[3]);
}

// Sets HKCU\Software\Varnel\Quillory\Settings\AskForName for one scope.
class AskForNameScope {
public:
    explicit AskForNameScope(DWORD value) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"AskForName", REG_DWORD, &value, sizeof value);
    }
    ~AskForNameScope() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, L"AskForName"); }
    AskForNameScope(const AskForNameScope&) = delete;
    AskForNameScope& operator=(const AskForNameScope&) = delete;

private:
    static constexpr wchar_t kSettings[] = L"Software\\Varnel\\Quillory\\Settings";
};

// "Paste Clipboard Text as File" through the real handler, with or without
// Shift and the extended structure, under each AskForName value.
TEST_F(EndToEndTest, ShiftAndAskForNameChooseTheQuickPaste) {
    AppFolderScope app(recorderFolder);
    std::wstring text = L"quick";
    ASSERT_TRUE(PutClipboard(&text, 0, 0, 0));
    struct Row {
        int askForName;  // -1: not stored
        const wchar_t* options;
        bool quick;
    };
    for (const Row& row : {Row{-1, L"", false}, Row{-1, L"--shift", true}, Row{-1, L"--shift --ex", true},
                           Row{1, L"--ex", false}, Row{0, L"", true}, Row{0, L"--shift --ex", false}}) {
        ::DeleteFileW(Launch().c_str());
        std::unique_ptr<AskForNameScope> setting;
        if (row.askForName >= 0) setting = std::make_unique<AskForNameScope>(static_cast<DWORD>(row.askForName));
        ProcessResult host = Host(std::wstring(row.options) + L" --background \"" + work +
                                  L"\" --invoke \"Paste Clipboard Text as File\"");
        ASSERT_EQ(0, host.exitCode) << host.output;
        const std::string expected = " -p \"" + Utf8(work) + (row.quick ? "\" /n /q" : "\" /n");
        auto lines = Recorded();
        ASSERT_FALSE(lines.empty()) << Utf8(row.options);
        EXPECT_TRUE(lines[0].ends_with(expected)) << lines[0] << " | " << Utf8(row.options) << " " << row.askForName;
    }
}

TEST_F(EndToEndTest, MultipleSelectionCopiesTheFirstItem) {
    AppFolderScope app(recorderFolder);
    const std::wstring first = WorkFile(L"first.txt", "1"), second = WorkFile(L"second.txt", "2");
    ASSERT_TRUE(EmptyTheClipboard());
    ProcessResult host = Host(L"--invoke \"Copy File Contents to Clipboard\" \"" + first + L"\" \"" + second + L"\"");
    ASSERT_EQ(0, host.exitCode) << host.output;
    auto lines = Recorded();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("-c", lines[1]);
    EXPECT_EQ(Utf8(first), lines[2]);
}

TEST_F(EndToEndTest, EmptyClipboardOnABackgroundGivesNoEntries) {
    ASSERT_TRUE(EmptyTheClipboard());
    ProcessResult host = Host(L"--background \"" + work + L"\"");
    ASSERT_EQ(0, host.exitCode) << host.output;
    EXPECT_NE(std::string::npos, host.output.find("initialize: 0x80070057"));
    EXPECT_EQ(std::string::npos, host.output.find("offset="));
}

TEST_F(EndToEndTest, VerbStringStartsNothing) {
    AppFolderScope app(recorderFolder);
    const std::wstring file = WorkFile(L"verb.txt", "x");
    ProcessResult host = Host(L"--verb open \"" + file + L"\"");
    EXPECT_NE(std::string::npos, host.output.find("verb \"open\": 0x80070057")) << host.output;
    EXPECT_EQ("", WaitForFile(Launch(), 1000));
}

TEST_F(EndToEndTest, PerUserRegistrationIsFoundByItsPath) {
    ASSERT_EQ(0, Regsvr32(L"/n /i:user"));
    const std::wstring file = WorkFile(L"peruser.txt", "x");
    ASSERT_TRUE(EmptyTheClipboard());
    ProcessResult host = Host(L"--per-user \"" + file + L"\"");
    Regsvr32(L"/u /n /i:user");
    ASSERT_EQ(0, host.exitCode) << host.output;
    EXPECT_NE(std::string::npos, host.output.find("handler: dll " + Utf8(DllPath()) + " 0x00000000")) << host.output;
    EXPECT_NE(std::string::npos, host.output.find("\"Copy File Contents to Clipboard\""));
}

TEST_F(EndToEndTest, AppendThroughTheRealProgram) {
    if (!FileExists(BinFile(L"Quillory.exe"))) GTEST_SKIP() << "Quillory.exe is not built beside the tests";
    AppFolderScope app(BinFolder());
    const std::wstring file = WorkFile(L"append.txt", "hello");
    std::wstring text = L"world";
    ASSERT_TRUE(PutClipboard(&text, 0, 0, 0));
    ProcessResult host = Host(L"--invoke Append \"" + file + L"\"");
    ASSERT_EQ(0, host.exitCode) << host.output;
    std::string content;
    for (int i = 0; i < 300 && content != "hello\r\nworld"; ++i) {
        ::Sleep(50);
        content = ReadFileBytes(file);
    }
    EXPECT_EQ("hello\r\nworld", content);
}

}  // namespace
}  // namespace qlry::wintest
