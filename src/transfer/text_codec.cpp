#include "transfer/text_codec.h"

#include <array>

namespace qlry {

namespace {

constexpr unsigned char kEndOfText = 0x1A;

// Bytes that need more than a plain copy.
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> table{};
    table['\r'] = table['\n'] = table[kEndOfText] = table[0] = true;
    return table;
}();

bool EndsWithLineEnd(const std::u16string& text) {
    return text.size() >= 2 && text[text.size() - 2] == u'\r' && text.back() == u'\n';
}

}  // namespace

bool TextGatherer::FeedLatin1(const unsigned char* bytes, size_t count) {
    // Room for the worst case, every byte a LF that becomes CR LF, plus a
    // CR held over from the last piece; the unused tail is cut off below.
    const size_t base = m_out.size();
    m_out.resize(base + 2 * count + 1);
    char16_t* const start = m_out.data() + base;
    char16_t* to = start;
    bool going = true;
    size_t i = 0;

    if (m_pendingCr && count > 0) {
        m_pendingCr = false;
        *to++ = u'\r';
        if (bytes[0] == '\n') {
            *to++ = u'\n';  // the pair was split between two pieces
            i = 1;
        }
    }
    for (; i < count; ++i) {
        const unsigned char c = bytes[i];
        if (!kSpecial[c]) {
            *to++ = c;
            continue;
        }
        if (c == kEndOfText) {
            m_ended = true;
            going = false;
            break;
        }
        if (c == 0) {
            *to++ = kNulSymbol;
        } else if (c == '\n') {
            *to++ = u'\r';
            *to++ = u'\n';
        } else if (i + 1 == count) {
            m_pendingCr = true;  // the next piece tells what this CR is
        } else {
            *to++ = u'\r';  // a lone CR stays a character; CR LF is kept
            if (bytes[i + 1] == '\n') {
                *to++ = u'\n';
                ++i;
            }
        }
    }
    m_out.resize(base + static_cast<size_t>(to - start));
    return going;
}

bool TextGatherer::FeedUnit(char16_t unit) {
    if (unit == kEndOfText) {
        m_ended = true;
        return false;
    }
    if (m_pendingCr) {
        m_pendingCr = false;
        m_out.push_back(u'\r');
        if (unit == u'\n') {
            m_out.push_back(u'\n');
            return true;
        }
    }
    if (unit == u'\r') {
        m_pendingCr = true;
    } else if (unit == u'\n') {
        m_out.append(u"\r\n");
    } else {
        m_out.push_back(unit == 0 ? kNulSymbol : unit);
    }
    return true;
}

bool TextGatherer::FeedUtf16(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (m_oddByte < 0) {
            m_oddByte = bytes[i];
            continue;
        }
        const auto first = static_cast<unsigned>(m_oddByte);
        const unsigned second = bytes[i];
        m_oddByte = -1;
        const unsigned unit = m_encoding == Encoding::Utf16Le ? (second << 8 | first) : (first << 8 | second);
        if (!FeedUnit(static_cast<char16_t>(unit))) return false;
    }
    return true;
}

bool TextGatherer::Feed(const unsigned char* bytes, size_t count) {
    if (m_ended) return false;
    // The first two bytes decide the encoding.
    while (m_encoding == Encoding::Unknown && count > 0) {
        m_head[m_headCount++] = *bytes++;
        --count;
        if (m_headCount < 2) continue;
        if (m_head[0] == 0xFF && m_head[1] == 0xFE) {
            m_encoding = Encoding::Utf16Le;
        } else if (m_head[0] == 0xFE && m_head[1] == 0xFF) {
            m_encoding = Encoding::Utf16Be;
        } else {
            m_encoding = Encoding::Latin1;
            if (!FeedLatin1(m_head, 2)) return false;
        }
    }
    if (m_encoding == Encoding::Latin1) return FeedLatin1(bytes, count);
    return FeedUtf16(bytes, count);
}

void TextGatherer::Finish() {
    if (m_encoding == Encoding::Unknown && m_headCount == 1 && !m_ended) {
        m_encoding = Encoding::Latin1;
        FeedLatin1(m_head, 1);
    }
    // A half UTF-16 unit at the very end carries no character and is dropped.
    if (m_pendingCr) {
        m_out.push_back(u'\r');
        m_pendingCr = false;
    }
    // Only a line end produces CR LF, so text not ending in one has an open
    // last line, which gets its line end too.
    if (!m_out.empty() && !EndsWithLineEnd(m_out)) m_out.append(u"\r\n");
}

namespace {

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::vector<unsigned char>& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<unsigned char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<unsigned char>(0xC0 | c >> 6));
        out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<unsigned char>(0xE0 | c >> 12));
        out.push_back(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<unsigned char>(0xF0 | c >> 18));
        out.push_back(static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
}

void EncodeUtf8(std::u16string_view text, std::vector<unsigned char>& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r')) out.push_back('\r');
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        // A lone surrogate is written as its own three bytes rather than lost.
        AppendUtf8(out, c);
    }
}

}  // namespace

void EncodeFileText(std::u16string_view text, std::vector<unsigned char>& out) {
    // One pass learns the encoding and the exact size of the Latin-1 form;
    // it compares neighbours rather than carrying state, so it vectorises.
    const char16_t* t = text.data();
    const size_t n = text.size();
    if (n == 0) return;
    char16_t widest = t[0];
    size_t loneLineFeeds = t[0] == u'\n';
    for (size_t i = 1; i < n; ++i) {
        widest = t[i] > widest ? t[i] : widest;
        loneLineFeeds += (t[i] == u'\n') & (t[i - 1] != u'\r');
    }
    if (widest > 0xFF) {
        EncodeUtf8(text, out);
        return;
    }
    const size_t base = out.size();
    out.resize(base + n + loneLineFeeds);
    unsigned char* to = out.data() + base;
    if (loneLineFeeds == 0) {
        for (size_t i = 0; i < n; ++i) to[i] = static_cast<unsigned char>(t[i]);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (t[i] == u'\n' && (i == 0 || t[i - 1] != u'\r')) *to++ = '\r';
        *to++ = static_cast<unsigned char>(t[i]);
    }
}

}  // namespace qlry
