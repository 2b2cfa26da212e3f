// The command lines handed to Quillory.exe, and the buffer limit.
#include <gtest/gtest.h>

#include "shellext/launch_parameters.h"

namespace qlry {
namespace {

std::wstring Copy(const std::wstring& path) {
    wchar_t params[kParamChars];
    return FormatCopyParameters(path.c_str(), params) ? std::wstring(params) : L"<refused>";
}

std::wstring Paste(const std::wstring& path, bool append, bool newFile) {
    wchar_t params[kParamChars];
    return FormatPasteParameters(path.c_str(), append, newFile, params) ? std::wstring(params) : L"<refused>";
}

TEST(LaunchParameters, CopyAndPasteForms) {
    EXPECT_EQ(L"-c \"C:\\a b\\c.txt\"", Copy(L"C:\\a b\\c.txt"));
    EXPECT_EQ(L"-p \"C:\\c.txt\"", Paste(L"C:\\c.txt", false, false));
    EXPECT_EQ(L"-p \"C:\\c.txt\" /a", Paste(L"C:\\c.txt", true, false));
    EXPECT_EQ(L"-p \"C:\\dir\" /n", Paste(L"C:\\dir", false, true));
    EXPECT_EQ(L"-p \"C:\\dir\" /a /n", Paste(L"C:\\dir", true, true));
}

TEST(LaunchParameters, TrailingBackslashIsDoubledOnlyAtTheEnd) {
    EXPECT_EQ(L"-p \"C:\\\\\" /n", Paste(L"C:\\", false, true));
    EXPECT_EQ(L"-c \"\\\\server\\share\\\\\"", Copy(L"\\\\server\\share\\"));
    EXPECT_EQ(L"-c \"C:\\x\"", Copy(L"C:\\x"));
}

TEST(LaunchParameters, EmptyPathGivesEmptyQuotes) { EXPECT_EQ(L"-c \"\"", Copy(L"")); }

TEST(LaunchParameters, LongestFittingAndFirstRefusedPath) {
    // "-p \"" + path + "\" /a" puts 8 characters around the path; 1023 fit beside the terminator.
    std::wstring fits(1023 - 8, L'x');
    EXPECT_EQ(L"-p \"" + fits + L"\" /a", Paste(fits, true, false));
    EXPECT_EQ(L"<refused>", Paste(fits + L"x", true, false));
    // "-c \"" + path + "\"" puts 5 around it: 1018 characters fit, unless
    // the last is a backslash that must be doubled.
    std::wstring plain(1018, L'y');
    EXPECT_EQ(L"-c \"" + plain + L"\"", Copy(plain));
    EXPECT_EQ(L"<refused>", Copy(plain.substr(1) + L"\\"));
}

TEST(LaunchParameters, RefusedCommandLeavesAnEmptyBuffer) {
    wchar_t params[kParamChars];
    params[0] = L'#';
    std::wstring path(2000, L'z');
    EXPECT_FALSE(FormatCopyParameters(path.c_str(), params));
    EXPECT_EQ(0, params[0]);
}

}  // namespace
}  // namespace qlry
