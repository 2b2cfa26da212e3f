#pragma once
// Conversion between the bytes of a text file and clipboard text (UTF-16).
//
// Files are 8-bit text (each byte one character, U+0000 to U+00FF) with
// CR LF line ends. Two cases go beyond that:
//  - A file that starts with a UTF-16 byte order mark (FF FE or FE FF) is
//    read as UTF-16, so that such files do not arrive as every other
//    character NUL.
//  - A NUL character would end the clipboard text early, so NUL becomes
//    U+2400 (the visible symbol for NUL) and the rest of the text survives.
// Clipboard text holding any character above U+00FF is written as UTF-8
// (without byte order mark) for the whole paste, so nothing is lost.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qlry {

inline constexpr char16_t kNulSymbol = 0x2400;

// Gathers file text line by line: each line followed by CR LF. A CR LF pair
// or a LF alone ends a line; a CR that no LF follows stays a character; the
// byte 0x1A ends the text. Feed the file in pieces, then call Finish.
class TextGatherer {
public:
    explicit TextGatherer(std::u16string& out) : m_out(out) {}

    // Returns false once the end-of-text mark has been seen.
    bool Feed(const unsigned char* bytes, size_t count);
    void Finish();

private:
    enum class Encoding { Unknown, Latin1, Utf16Le, Utf16Be };

    bool FeedLatin1(const unsigned char* bytes, size_t count);
    bool FeedUtf16(const unsigned char* bytes, size_t count);
    bool FeedUnit(char16_t unit);

    std::u16string& m_out;
    Encoding m_encoding = Encoding::Unknown;
    unsigned char m_head[2] = {};
    size_t m_headCount = 0;
    int m_oddByte = -1;        // the first byte of a UTF-16 unit not yet complete
    bool m_pendingCr = false;  // a CR at the end of a piece, waiting for the next
    bool m_ended = false;
};

// Appends to `out` the bytes that pasting `text` writes: CR LF and a lone LF
// become CR LF, a lone CR stays CR; Latin-1 bytes, or UTF-8 when any
// character is above U+00FF.
void EncodeFileText(std::u16string_view text, std::vector<unsigned char>& out);

}  // namespace qlry
