#include "transfer/text_codec.h"

namespace qlry {

namespace {

constexpr wchar_t kEndOfText = 0x1A;

}  // namespace

void TextGatherer::FlushPendingCr() {
    if (m_pendingCr) {
        m_out.push_back(L'\r');  // a CR that no LF follows is a character
        m_lineOpen = true;
        m_pendingCr = false;
    }
}

bool TextGatherer::FeedUnit(wchar_t unit) {
    if (unit == kEndOfText) {
        m_ended = true;
        return false;
    }
    if (unit == L'\n') {
        m_pendingCr = false;
        m_out.append(L"\r\n");
        m_lineOpen = false;
        return true;
    }
    FlushPendingCr();
    if (unit == L'\r') {
        m_pendingCr = true;
        return true;
    }
    m_out.push_back(unit == 0 ? kNulSymbol : unit);
    m_lineOpen = true;
    return true;
}

bool TextGatherer::FeedLatin1(const unsigned char* bytes, size_t count) {
    // The common case runs without the per-character state machine: plain
    // characters are copied in one stretch.
    size_t i = 0;
    while (i < count) {
        if (!m_pendingCr) {
            size_t run = i;
            while (run < count && bytes[run] != '\r' && bytes[run] != '\n' && bytes[run] != kEndOfText &&
                   bytes[run] != 0) {
                ++run;
            }
            if (run > i) {
                m_out.append(bytes + i, bytes + run);
                m_lineOpen = true;
                i = run;
                continue;
            }
        }
        if (!FeedUnit(bytes[i++])) return false;
    }
    return true;
}

bool TextGatherer::Feed(const unsigned char* bytes, size_t count) {
    if (m_ended) return false;
    // The first two bytes decide the encoding.
    while (m_encoding == Encoding::Unknown && count > 0) {
        m_head[m_headCount++] = *bytes++;
        --count;
        if (m_headCount == 2) {
            if (m_head[0] == 0xFF && m_head[1] == 0xFE) {
                m_encoding = Encoding::Utf16Le;
            } else if (m_head[0] == 0xFE && m_head[1] == 0xFF) {
                m_encoding = Encoding::Utf16Be;
            } else {
                m_encoding = Encoding::Latin1;
                if (!FeedLatin1(m_head, 2)) return false;
            }
        }
    }
    if (m_encoding == Encoding::Latin1) return FeedLatin1(bytes, count);
    for (size_t i = 0; i < count; ++i) {
        if (m_oddByte < 0) {
            m_oddByte = bytes[i];
            continue;
        }
        const unsigned first = static_cast<unsigned>(m_oddByte);
        const unsigned second = bytes[i];
        m_oddByte = -1;
        const unsigned unit = m_encoding == Encoding::Utf16Le ? (second << 8 | first) : (first << 8 | second);
        if (!FeedUnit(static_cast<wchar_t>(unit))) return false;
    }
    return true;
}

void TextGatherer::Finish() {
    if (m_encoding == Encoding::Unknown && m_headCount == 1) {
        m_encoding = Encoding::Latin1;
        FeedLatin1(m_head, 1);
    }
    // A half UTF-16 unit at the very end carries no character and is dropped.
    FlushPendingCr();
    if (m_lineOpen) m_out.append(L"\r\n");
    m_lineOpen = false;
}

namespace {

bool NeedsUtf8(std::wstring_view text) {
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) > 0xFF) return true;
    }
    return false;
}

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

}  // namespace

void EncodeFileText(std::wstring_view text, std::vector<unsigned char>& out) {
    const bool utf8 = NeedsUtf8(text);
    out.reserve(out.size() + text.size() + text.size() / 16 + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out.push_back('\r');  // a LF alone becomes CR LF
            out.push_back('\n');
            continue;
        }
        if (!utf8) {
            out.push_back(static_cast<unsigned char>(c));
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<uint32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        }
        // A lone surrogate is written as its own three bytes rather than lost.
        AppendUtf8(out, c);
    }
}

}  // namespace qlry
