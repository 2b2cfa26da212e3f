// Help texts: both wordings, both character sets, cut at cchMax; the
// validation, verb and offset requests.
#include <cstring>

#include "handler_fixture.h"
#include "shellext/menu_texts.h"

namespace qlry::test {
namespace {

// The help text of every row is checked with the menu table; here, the
// wording follows a clipboard that changes between two Initialize calls.
TEST_F(HandlerTest, HelpForNewFileFollowsTheClipboard) {
    PutText();
    ASSERT_EQ(kSOk, InitFolder(L"C:\\Data"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kTextNewHelp, HelpW(0));

    ASSERT_TRUE(clipboard.Open());
    clipboard.Empty();
    clipboard.Close();
    PutBitmap();
    ASSERT_EQ(kSOk, InitFolder(L"C:\\Data"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(kImageNewHelp, HelpW(0));
}

TEST_F(HandlerTest, AnsiHelpTextHasTheSameWords) {
    PutText();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 3));
    char buffer[200];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(kSOk, handler.GetCommandString(2, kGcsHelpTextA, buffer, sizeof buffer));
    EXPECT_STREQ("Paste the text on your clipboard to the selected file, append the file.", buffer);
}

TEST_F(HandlerTest, WideHelpTextIsCutAtCchMax) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    wchar_t buffer[16];
    wmemset(buffer, L'#', 16);
    ASSERT_EQ(kSOk, handler.GetCommandString(0, kGcsHelpTextW, reinterpret_cast<char*>(buffer), 10));
    EXPECT_EQ(kCopyHelp.substr(0, 9), std::wstring(buffer));
    EXPECT_EQ(L'#', buffer[10]) << "wrote past cchMax";
}

TEST_F(HandlerTest, AnsiHelpTextIsCutAtCchMax) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(kSOk, handler.GetCommandString(0, kGcsHelpTextA, buffer, 5));
    EXPECT_STREQ("Copy", buffer);
    EXPECT_EQ('#', buffer[5]) << "wrote past cchMax";
}

TEST_F(HandlerTest, HelpTextOfOneCharacterIsJustTheTerminator) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    wchar_t wide[2] = {L'#', L'#'};
    ASSERT_EQ(kSOk, handler.GetCommandString(0, kGcsHelpTextW, reinterpret_cast<char*>(wide), 1));
    EXPECT_EQ(0, wide[0]);
    EXPECT_EQ(L'#', wide[1]);
}

TEST_F(HandlerTest, HelpTextIntoNoBufferIsRefused) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    char buffer[4] = "##";
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(0, kGcsHelpTextA, nullptr, 10));
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(0, kGcsHelpTextA, buffer, 0));
    EXPECT_EQ('#', buffer[0]);
}

TEST_F(HandlerTest, OffsetAtOrPastTheCountIsRefused) {
    PutBitmap();
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.png", 2));
    char buffer[64] = {};
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(2, kGcsHelpTextA, buffer, 64));
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(2, kGcsValidateW, buffer, 64));
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(~uintptr_t{0}, kGcsHelpTextA, buffer, 64));
    EXPECT_EQ(0, buffer[0]);
}

TEST_F(HandlerTest, BeforeAnyQueryEveryOffsetIsRefused) {
    char buffer[64] = {};
    EXPECT_EQ(kEInvalidArg, handler.GetCommandString(0, kGcsHelpTextA, buffer, 64));
}

TEST_F(HandlerTest, ValidationSucceedsWithoutWriting) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    char buffer[8] = "#######";
    EXPECT_EQ(kSOk, handler.GetCommandString(0, kGcsValidateA, buffer, 8));
    EXPECT_EQ(kSOk, handler.GetCommandString(0, kGcsValidateW, buffer, 8));
    EXPECT_STREQ("#######", buffer);
}

TEST_F(HandlerTest, VerbRequestsAreRefused) {
    ASSERT_NO_FATAL_FAILURE(MenuForFile(L"C:\\a.txt", 1));
    char buffer[64] = {};
    for (uint32_t verbType : {0u /*GCS_VERBA*/, 4u /*GCS_VERBW*/, 0x14u /*GCS_VERBICONW*/, 3u, 7u})
        EXPECT_EQ(kEInvalidArg, handler.GetCommandString(0, verbType, buffer, 64)) << verbType;
    EXPECT_EQ(0, buffer[0]);
}

TEST(HelpTextTable, AllTextsArePlainAscii) {
    for (int kind = CopyContents; kind <= PasteAsNewFile; ++kind)
        for (int clip : {0, 1, 2})
            for (const wchar_t* c = HelpText(static_cast<CommandKind>(kind), clip); *c; ++c)
                EXPECT_LT(static_cast<uint32_t>(*c), 0x80u);
}

}  // namespace
}  // namespace qlry::test
