// InvokeCommand: which command line starts Quillory.exe, and when nothing starts.
#include "handler_fixture.h"
#include "shellext/ask_for_name.h"

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

// One chosen entry: the clipboard, the selection, the menu's size, the
// offset chosen and the parameters Quillory.exe is started with.
struct StartRow {
    const char* name;
    int clipboard;  // 0 nothing, 1 text, 2 image
    enum { Files, Folder, Background } selection;
    std::vector<std::wstring> paths;
    HResult count;
    uintptr_t offset;
    std::wstring parameters;
};

void PrintTo(const StartRow& row, std::ostream* out) { *out << row.name; }

std::vector<StartRow> StartRows() {
    return {
        {"CopyPassesTheQuotedPath", 0, StartRow::Files, {L"C:\\My Docs\\notes.txt"}, 1, 0,
         L"-c \"C:\\My Docs\\notes.txt\""},
        {"OverwriteOfText", 1, StartRow::Files, {L"C:\\notes.txt"}, 3, 1, L"-p \"C:\\notes.txt\""},
        {"AppendOfText", 1, StartRow::Files, {L"C:\\notes.txt"}, 3, 2, L"-p \"C:\\notes.txt\" /a"},
        {"ImagePasteHasNoAppendSwitch", 2, StartRow::Files, {L"C:\\pic.bmp"}, 2, 1, L"-p \"C:\\pic.bmp\""},
        {"NewFileInAFolder", 1, StartRow::Folder, {L"C:\\Data"}, 1, 0, L"-p \"C:\\Data\" /n"},
        {"DriveRootBackgroundDoublesTheBackslash", 1, StartRow::Background, {L"C:\\"}, 1, 0,
         L"-p \"C:\\\\\" /n"},
        {"MultipleSelectionActsOnTheFirstName", 0, StartRow::Files, {L"C:\\first.txt", L"C:\\second.txt"}, 1, 0,
         L"-c \"C:\\first.txt\""},
    };
}

class StartTest : public InvokeTest, public ::testing::WithParamInterface<StartRow> {};

TEST_P(StartTest, ChosenEntryStartsTheProgramWithItsParameters) {
    const StartRow& row = GetParam();
    if (row.clipboard == 1) PutText();
    if (row.clipboard == 2) PutBitmap();
    const HResult init = row.selection == StartRow::Files    ? InitSelection(row.paths)
                         : row.selection == StartRow::Folder ? InitFolder(row.paths[0])
                                                             : InitBackground(row.paths[0]);
    ASSERT_EQ(kSOk, init);
    ASSERT_EQ(row.count, Query());
    EXPECT_EQ(kSOk, handler.InvokeCommand(row.offset));
    EXPECT_EQ(row.parameters, Started());
}

INSTANTIATE_TEST_SUITE_P(AllEntries, StartTest, ::testing::ValuesIn(StartRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// "Paste ... as File" with Shift held or not, under each AskForName value
// (absent: asks, as 1 does).
struct QuickRow {
    const char* name;
    int askForName;  // -1: not stored
    bool shift;
    bool quick;      // " /q" added
};

void PrintTo(const QuickRow& row, std::ostream* out) { *out << row.name; }

class QuickTest : public InvokeTest, public ::testing::WithParamInterface<QuickRow> {};

TEST_P(QuickTest, ShiftTurnsTheSettingAround) {
    const QuickRow& row = GetParam();
    if (row.askForName >= 0) {
        const uint32_t value = static_cast<uint32_t>(row.askForName);
        registry.PutRaw(RegRoot::CurrentUser, L"Software\\Varnel\\Quillory\\Settings", L"AskForName", kRegDword,
                        {uint8_t(value), 0, 0, 0});
    }
    PutText();
    ASSERT_EQ(kSOk, InitFolder(L"C:\\Data"));
    ASSERT_EQ(1, Query());
    const int callsBeforeInvoke = registry.Calls();
    EXPECT_EQ(kSOk, handler.InvokeCommand(0, row.shift ? kCmicMaskShiftDown : 0));
    EXPECT_EQ(row.quick ? L"-p \"C:\\Data\" /n /q" : L"-p \"C:\\Data\" /n", Started());
    EXPECT_GT(registry.Calls(), callsBeforeInvoke);
    EXPECT_EQ(0u, registry.OpenHandles());
}

INSTANTIATE_TEST_SUITE_P(AskForNameAndShift, QuickTest,
                         ::testing::Values(QuickRow{"NotStored", -1, false, false},
                                           QuickRow{"NotStoredShift", -1, true, true},
                                           QuickRow{"Ask", 1, false, false}, QuickRow{"AskShift", 1, true, true},
                                           QuickRow{"AtOnce", 0, false, true},
                                           QuickRow{"AtOnceShift", 0, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InvokeTest, MenuIsBuiltWithoutReadingTheRegistry) {
    PutBitmap();
    const int before = registry.Calls();
    ASSERT_EQ(kSOk, InitFolder(L"C:\\Data"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(before, registry.Calls());
}

TEST_F(InvokeTest, ShiftChangesNothingButTheNewFilePaste) {
    registry.PutRaw(RegRoot::CurrentUser, L"Software\\Varnel\\Quillory\\Settings", L"AskForName", kRegDword,
                    {0, 0, 0, 0});
    PutText();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 3));
    EXPECT_EQ(kSOk, handler.InvokeCommand(2, kCmicMaskShiftDown));
    EXPECT_EQ(L"-p \"C:\\a.txt\" /a", Started());
}

TEST_F(InvokeTest, AskForNameOfAnotherTypeOrSizeAsks) {
    const std::wstring key = L"Software\\Varnel\\Quillory\\Settings";
    for (auto [type, data] : {std::pair<uint32_t, std::vector<uint8_t>>{kRegSz, {'0', 0}},
                              {kRegDword, {0, 0}},
                              {kRegBinary, {0, 0, 0, 0, 0, 0, 0, 0}}}) {
        registry.PutRaw(RegRoot::CurrentUser, key, L"AskForName", type, data);
        EXPECT_TRUE(ReadAskForName(registry)) << type;
    }
}

TEST_F(InvokeTest, PathIsEmptiedAfterwards) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_EQ(L"", std::wstring(handler.Path()));
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    ASSERT_EQ(2u, shell.Launches().size());
    EXPECT_EQ(L"-c \"\"", shell.Launches()[1].parameters);
}

TEST_F(InvokeTest, VerbStringIsRefusedAndNothingStarts) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    static const char verb[] = "open";
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(reinterpret_cast<uintptr_t>(verb)));
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(0x10000));
    EXPECT_TRUE(shell.Launches().empty());
    EXPECT_EQ(L"C:\\a.txt", std::wstring(handler.Path()));
}

TEST_F(InvokeTest, OffsetEqualToTheCountIsRefused) {
    PutBitmap();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.png", 2));
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(2));
    EXPECT_EQ(kEInvalidArg, handler.InvokeCommand(0xFFFF));
    EXPECT_TRUE(shell.Launches().empty());
}

TEST_F(InvokeTest, WithoutAppFolderNothingStartsButExplorerHearsSuccess) {
    registry.Clear();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    EXPECT_EQ(kSOk, handler.InvokeCommand(0));
    EXPECT_TRUE(shell.Launches().empty());
    EXPECT_EQ(L"", std::wstring(handler.Path()));
}

TEST_F(InvokeTest, MissingProgramFileStartsNothing) {
    shell.files.clear();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
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
