#include <gtest/gtest.h>

#include "newfile/file_name_text.h"

namespace {

using namespace qlry;

TEST(TrimWhiteSpace, RemovesWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(TrimWhiteSpace(L" \t notes  draft\r\n"), L"notes  draft");
    EXPECT_EQ(TrimWhiteSpace(L"\u00a0.md\u3000"), L".md");
    EXPECT_EQ(TrimWhiteSpace(L" \t\r\n "), L"");
    EXPECT_EQ(TrimWhiteSpace(L""), L"");
    EXPECT_EQ(TrimWhiteSpace(L"x"), L"x");
}

TEST(ReplaceInvalidNameChars, TurnsEachOfTheNineIntoASpace) {
    const std::wstring nine = L"\\/:*?\"<>|";
    for (wchar_t c : nine) {
        const std::wstring name = std::wstring(L"a") + c + L"b";
        EXPECT_EQ(ReplaceInvalidNameChars(name), L"a b") << "character " << static_cast<int>(c);
    }
    EXPECT_EQ(ReplaceInvalidNameChars(nine), std::wstring(nine.size(), L' '));
}

TEST(ReplaceInvalidNameChars, KeepsEverythingElse) {
    const std::wstring kept = L"a.b;c,d'e(f)[g]{h}!@#$%^&+=~`\u00e9\u4e2d -_";
    EXPECT_EQ(ReplaceInvalidNameChars(kept), kept);
    EXPECT_EQ(ReplaceInvalidNameChars(L"a/b:c"), L"a b c");
}

TEST(MakeTimestampName, IsDateSpaceTimeWithLeadingZeros) {
    EXPECT_EQ(MakeTimestampName({2013, 11, 5, 14, 30, 12}), L"20131105 143012");
    EXPECT_EQ(MakeTimestampName({2024, 1, 9, 0, 4, 7}), L"20240109 000407");
    EXPECT_EQ(MakeTimestampName({1999, 12, 31, 23, 59, 59}), L"19991231 235959");
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyTheLettersAToZ) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(L".TXT", L".txt"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(L".Html", L".hTML"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L".c", L".cpp"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L".cpp", L".c"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"\u00c9", L"\u00e9"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"@", L"`"));  // 0x40 and 0x60 differ by the case bit
}

}  // namespace
