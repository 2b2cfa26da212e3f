// Splitting a command line into the program's arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using Arguments = std::vector<std::wstring>;

TEST(CommandLine, SplitsByTheStandardRules) {
    const struct {
        const wchar_t* line;
        Arguments expected;
    } cases[] = {
        {L"Quillory.exe -p \"C:\\My Files\\notes.txt\" /a", {L"Quillory.exe", L"-p", L"C:\\My Files\\notes.txt", L"/a"}},
        // The extension doubles a drive root's backslash before the quote.
        {L"Quillory.exe -p \"C:\\\\\" /n", {L"Quillory.exe", L"-p", L"C:\\", L"/n"}},
        // 2n+1 backslashes: n and a literal quote; elsewhere they are literal.
        {L"x.exe a\\\\\\\"b c\\\\d \"e\\\"f\"", {L"x.exe", L"a\\\"b", L"c\\\\d", L"e\"f"}},
        {L"x.exe -c C:\\a b.txt", {L"x.exe", L"-c", L"C:\\a", L"b.txt"}},
        {L"x.exe  \t a\t\tb  ", {L"x.exe", L"a", L"b"}},
        {L"x.exe \"\" a\"b c\"d", {L"x.exe", L"", L"ab cd"}},
        {L"x.exe \"unterminated arg", {L"x.exe", L"unterminated arg"}},
        {L"x.exe trailing\\", {L"x.exe", L"trailing\\"}},
        // The program's name knows no escapes: quotes only around the whole.
        {L"\"C:\\Program Files\\Q\\Quillory.exe\" -c x", {L"C:\\Program Files\\Q\\Quillory.exe", L"-c", L"x"}},
        {L"C:\\dir\\\"x.exe -c", {L"C:\\dir\\\"x.exe", L"-c"}},
        {L"", {L""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(CommandLine, KeepsLongPathsWhole) {
    const std::wstring path = L"C:\\" + std::wstring(20000, L'd') + L"\\file.txt";
    const std::wstring line = L"Quillory.exe -c \"" + path + L"\"";
    EXPECT_EQ(SplitCommandLine(line.c_str()), (Arguments{L"Quillory.exe", L"-c", path}));
}

}  // namespace
