#include "transfer/text_codec.h"

#include <gtest/gtest.h>

namespace {

std::u16string Gather(const std::string& bytes, size_t piece = 1 << 20) {
    std::u16string out;
    qlry::TextGatherer gatherer(out);
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t count = std::min(piece, bytes.size() - at);
        if (!gatherer.Feed(reinterpret_cast<const unsigned char*>(bytes.data() + at), count)) break;
    }
    gatherer.Finish();
    return out;
}

std::string Encode(const std::u16string& text) {
    std::vector<unsigned char> out;
    qlry::EncodeFileText(text, out);
    return std::string(out.begin(), out.end());
}

TEST(TextGatherer, EveryLineEndsWithCrLf) {
    EXPECT_EQ(Gather("abc"), u"abc\r\n");
    EXPECT_EQ(Gather("abc\r\n"), u"abc\r\n");
    EXPECT_EQ(Gather("abc\n"), u"abc\r\n");
    EXPECT_EQ(Gather("a\nb\r\nc"), u"a\r\nb\r\nc\r\n");
    EXPECT_EQ(Gather("\r\n"), u"\r\n");
    EXPECT_EQ(Gather("\n\n"), u"\r\n\r\n");
    EXPECT_EQ(Gather(""), u"");
}

TEST(TextGatherer, ALoneCrStaysACharacter) {
    EXPECT_EQ(Gather("a\rb"), u"a\rb\r\n");
    EXPECT_EQ(Gather("a\r"), u"a\r\r\n");
    EXPECT_EQ(Gather("a\r\r\n"), u"a\r\r\n");
}

TEST(TextGatherer, EndOfTextMarkStopsReading) {
    EXPECT_EQ(Gather("abc\x1a" "def"), u"abc\r\n");
    EXPECT_EQ(Gather("\x1a" "abc"), u"");
    EXPECT_EQ(Gather("ab\r\n\x1a"), u"ab\r\n");
}

TEST(TextGatherer, HighBytesAreLatin1) {
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b) bytes.push_back(static_cast<char>(b));
    std::u16string text = Gather(bytes);
    ASSERT_EQ(text.size(), 128u + 2);
    for (int b = 0x80; b <= 0xFF; ++b) EXPECT_EQ(static_cast<int>(text[b - 0x80]), b);
    // A UTF-8 byte order mark is not decoded.
    EXPECT_EQ(Gather("\xEF\xBB\xBFx"), u"\u00EF\u00BB\u00BFx\r\n");
}

TEST(TextGatherer, LineEndsSplitAcrossPiecesStillPair) {
    EXPECT_EQ(Gather("ab\r\ncd\r\n", 3), u"ab\r\ncd\r\n");
    EXPECT_EQ(Gather("ab\r\ncd\r\n", 1), u"ab\r\ncd\r\n");
    EXPECT_EQ(Gather("a\rb", 2), u"a\rb\r\n");
}

TEST(TextGatherer, NulBecomesAVisibleSymbol) {
    EXPECT_EQ(Gather(std::string("a\0b", 3)), u"a\u2400b\r\n");
}

TEST(TextGatherer, Utf16WithByteOrderMark) {
    // "hé\nx" in UTF-16 little- and big-endian, with one odd trailing byte.
    const std::string le("\xFF\xFEh\0\xE9\0\n\0x\0!", 11);
    EXPECT_EQ(Gather(le), u"h\u00E9\r\nx\r\n");
    EXPECT_EQ(Gather(le, 1), u"h\u00E9\r\nx\r\n");
    const std::string be("\xFE\xFF\0h\x26\x3A\0\r\0\n", 10);
    EXPECT_EQ(Gather(be), u"h\u263A\r\n");
    EXPECT_EQ(Gather(std::string("\xFF\xFE", 2)), u"");
}

TEST(TextGatherer, SingleByteFile) {
    EXPECT_EQ(Gather("x"), u"x\r\n");
    EXPECT_EQ(Gather("\xFF"), u"\u00FF\r\n");
}

TEST(EncodeFileText, LineEndsBecomeCrLfAndLoneCrStays) {
    EXPECT_EQ(Encode(u"a\r\nb"), "a\r\nb");
    EXPECT_EQ(Encode(u"a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(Encode(u"a\rb"), "a\rb");
    EXPECT_EQ(Encode(u"\n"), "\r\n");
    EXPECT_EQ(Encode(u""), "");
}

TEST(EncodeFileText, Latin1IsWrittenByteForByte) {
    EXPECT_EQ(Encode(u"caf\u00E9 \u00FF\u0080"), "caf\xE9 \xFF\x80");
}

TEST(EncodeFileText, AnythingAboveLatin1MakesTheWholeTextUtf8) {
    EXPECT_EQ(Encode(u"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
    // A surrogate pair is one character of four bytes.
    std::u16string pair;
    pair.push_back(static_cast<char16_t>(0xD83D));
    pair.push_back(static_cast<char16_t>(0xDE00));
    EXPECT_EQ(Encode(pair + u"\n"), "\xF0\x9F\x98\x80\r\n");
    // A lone surrogate is kept as its three bytes, not dropped.
    EXPECT_EQ(Encode(std::u16string(1, static_cast<char16_t>(0xD800))), "\xED\xA0\x80");
}

TEST(TextRoundTrip, Latin1FileSurvivesCopyAndPaste) {
    std::string bytes;
    for (int b = 1; b <= 0xFF; ++b) {
        if (b != 0x1A && b != '\r' && b != '\n') bytes.push_back(static_cast<char>(b));
    }
    bytes += "\r\nsecond line\r\n";
    EXPECT_EQ(Encode(Gather(bytes)), bytes);
}

}  // namespace
