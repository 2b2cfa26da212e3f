#pragma once
// The text headers of PNM and PGX: decimal numbers between white space, and
// (PNM) comments from '#' to the end of the line.
#include <cstdint>

#include "ximage/toolkit/cx_stream_reader.h"

namespace cxjas {

class HeaderText {
public:
    HeaderText(CxStreamReader& reader, bool comments) : reader_(reader), comments_(comments) {}

    // The next byte, or -1 at the end.
    int Get() { return reader_.GetByte(); }
    // Skips white space (and comments); returns the first other byte, unread
    // into Peeked() and consumed, or -1 at the end.
    int SkipSpace();
    // An unsigned decimal number of at most max after optional white space;
    // false without digits, above max, or when no white space (or the end)
    // follows its digits. The byte after the digits is consumed.
    bool Number(uint32_t& value, uint32_t max);
    // The byte that ended the last number: white space, or -1 at the end.
    int Terminator() const { return terminator_; }

    static bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

private:
    CxStreamReader& reader_;
    bool comments_;
    int terminator_ = -1;
};

}  // namespace cxjas
