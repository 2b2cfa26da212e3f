// The program's arguments as the platform splits its command line.
#include <gtest/gtest.h>

#include "app/win32/command_line_win32.h"

namespace {

CCommandRequest Parse(const wchar_t* commandLine) {
    CCommandRequest request;
    request.ParseCommandLine(SplitCommandLine(commandLine));
    return request;
}

TEST(CommandLineSplitting, QuotedPathsKeepTheirBlanks) {
    CCommandRequest request = Parse(L"Quillory.exe -p \"C:\\My Files\\notes.txt\" /a");
    EXPECT_EQ(request.m_nMode, 2);
    EXPECT_EQ(request.m_strPath, L"C:\\My Files\\notes.txt");
    EXPECT_EQ(request.m_bAppend, 1);
}

TEST(CommandLineSplitting, DriveRootWithDoubledBackslash) {
    // The extension passes a drive root as "C:\\" so that the backslash does
    // not escape the closing quote.
    CCommandRequest request = Parse(L"Quillory.exe -p \"C:\\\\\" /n");
    EXPECT_EQ(request.m_strPath, L"C:\\");
    EXPECT_EQ(request.m_bNewFile, 1);
}

TEST(CommandLineSplitting, BackslashesBeforeQuotes) {
    std::vector<std::wstring> args = SplitCommandLine(L"x.exe a\\\\\\\"b c\\\\d \"e\\\"f\"");
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(args[1], L"a\\\"b");   // 2n+1 backslashes: n and a literal quote
    EXPECT_EQ(args[2], L"c\\\\d");   // not before a quote: literal
    EXPECT_EQ(args[3], L"e\"f");
}

TEST(CommandLineSplitting, UnquotedBlanksSeparate) {
    CCommandRequest request = Parse(L"Quillory.exe -c C:\\a b.txt");
    EXPECT_EQ(request.m_strPath, L"b.txt");
}

TEST(CommandLineSplitting, LongCommandLines) {
    std::wstring path = L"C:\\" + std::wstring(20000, L'd') + L"\\file.txt";
    std::wstring line = L"Quillory.exe -c \"" + path + L"\"";
    EXPECT_EQ(Parse(line.c_str()).m_strPath, path);
}

}  // namespace
