// The program's own splitting of its command line gives what the
// platform's CommandLineToArgvW gives, for the lines the extension and
// users write.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/command_line_win32.h"

namespace {

std::vector<std::wstring> PlatformSplit(const wchar_t* line) {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* vector = ::CommandLineToArgvW(line, &count);
    for (int i = 0; vector && i < count; ++i) arguments.emplace_back(vector[i]);
    ::LocalFree(vector);
    return arguments;
}

TEST(CommandLineSplitting, EqualsThePlatformsSplitting) {
    const std::wstring longPath = L"\"C:\\" + std::wstring(20000, L'd') + L"\\file.txt\"";
    const std::wstring lines[] = {
        L"Quillory.exe -p \"C:\\My Files\\notes.txt\" /a",
        L"Quillory.exe -p \"C:\\\\\" /n",
        L"x.exe a\\\\\\\"b c\\\\d \"e\\\"f\"",
        L"Quillory.exe -c C:\\a b.txt",
        L"x.exe  \t a\t\tb  ",
        L"x.exe \"\" a\"b c\"d",
        L"x.exe \"unterminated arg",
        L"x.exe trailing\\ \\\\server\\share\\x",
        L"\"C:\\Program Files\\Q\\Quillory.exe\" -c \"D:\\\u00e9t\u00e9\\caf\u00e9 \u4e2d.txt\"",
        L"Quillory.exe -c " + longPath,
    };
    for (const std::wstring& line : lines) EXPECT_EQ(SplitCommandLine(line.c_str()), PlatformSplit(line.c_str())) << line;
}

}  // namespace
