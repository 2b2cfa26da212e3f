// InvokeCommand: which command line starts Quillory.exe, and when nothing starts.
#include "handler_fixture.h"

namespace qlry::test {
namespace {

const std::wstring kApp = L"C:\\Apps\\Quillory\\Quillory.exe";

class InvokeTest : public HandlerTest {
protected:
    void SetUp() override { InstallApp(); }

    std::wstring Started() {
        if (shell.Launches().size() != 1) return L"<" + std::to_wstring(shell.Launches().size()) + L" launches>";
        EXPECT_EQ(kApp, shell.Launches()[0].file);
        return shell.Launches()[0].parameters;
    }
};

TEST_F(InvokeTest, CopyPassesTheQuotedPath) {
    ASSERT_EQ(kSOk, InitFile(L"C:\\My Docs\\notes.txt"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"-c \"C:\\My Docs\\notes.txt\"", Started());
}

TEST_F(InvokeTest, OverwriteAndAppendOfText) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\notes.txt"));
    ASSERT_EQ(3, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(1));
    EXPECT_EQ(L"-p \"C:\\notes.txt\"", Started());

    ASSERT_EQ(kSOk, InitFile(L"C:\\notes.txt"));
    ASSERT_EQ(3, Query());
    shell = FakeShell{};
    InstallApp();
    EXPECT_EQ(kSOk, handler.InvokeCommand(2));
    EXPECT_EQ(L"-p \"C:\\notes.txt\" /a", Started());
}

TEST_F(InvokeTest, ImagePasteHasNoAppendSwitch) {
    PutBitmap();
    ASSERT_EQ(kSOk, InitFile(L"C:\\pic.bmp"));
    ASSERT_EQ(2, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(1));
    EXPECT_EQ(L"-p \"C:\\pic.bmp\"", Started());
}

TEST_F(InvokeTest, NewFileInAFolder) {
    PutText();
    ASSERT_EQ(kSOk, InitFolder(L"C:\\Data"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"-p \"C:\\Data\" /n", Started());
}

TEST_F(InvokeTest, DriveRootBackgroundDoublesTheBackslash) {
    PutText();
    ASSERT_EQ(kSOk, InitBackground(L"C:\\"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"-p \"C:\\\\\" /n", Started());
}

TEST_F(InvokeTest, MultipleSelectionActsOnTheFirstName) {
    ASSERT_EQ(kSOk, InitSelection({L"C:\\first.txt", L"C:\\second.txt"}));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"-c \"C:\\first.txt\"", Started());
}

TEST_F(InvokeTest, PathIsEmptiedAfterwards) {
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"", std::wstring(handler.Path()));
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    ASSERT_EQ(2u, shell.Launches().size());
    EXPECT_EQ(L"-c \"\"", shell.Launches()[1].parameters);
}

TEST_F(InvokeTest, VerbStringIsRefusedAndNothingStarts) {
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    ASSERT_EQ(1, Query());
    static const char verb[] = "open";
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(reinterpret_cast<uintptr_t>(verb)));
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(0x10000));
    EXPECT_TRUE(shell.Launches().empty());
    EXPECT_EQ(L"C:\\a.txt", std::wstring(handler.Path()));
}

TEST_F(InvokeTest, OffsetEqualToTheCountIsRefused) {
    PutBitmap();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.png"));
    ASSERT_EQ(2, Query());
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(2));
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(0xFFFF));
    EXPECT_TRUE(shell.Launches().empty());
}

TEST_F(InvokeTest, WithoutAppFolderNothingStartsButExplorerHearsSuccess) {
    registry.Clear();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_TRUE(shell.Launches().empty());
    EXPECT_EQ(L"", std::wstring(handler.Path()));
}

TEST_F(InvokeTest, MissingProgramFileStartsNothing) {
    shell.files.clear();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_TRUE(shell.Launches().empty());
}

TEST_F(InvokeTest, PathTooLongForTheCommandLineIsNotStarted) {
    // 1023 characters fit the path buffer but not the command line around them.
    std::wstring longPath = L"C:\\" + std::wstring(1020, L'x');
    ASSERT_EQ(kSOk, InitFile(longPath));
    ASSERT_EQ(1023u, std::wstring(handler.Path()).size());
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_TRUE(shell.Launches().empty());
}

TEST_F(InvokeTest, LaunchReportsWhetherItGotToTheShell) {
    EXPECT_EQ(0, handler.LaunchCopy(L"C:\\a.txt"));
    registry.Clear();
    EXPECT_EQ(-1, handler.LaunchPaste(L"C:\\a.txt", true, false));
    EXPECT_EQ(1u, shell.Launches().size());
}

}  // namespace
}  // namespace qlry::test
