#pragma once
// CxStreamReader: the codecs' bounded reader over a CxStream. It works in
// 64-bit positions (a file of 2 GiB and more cannot slip past a check), knows
// how many bytes remain, and reads fields little- or big-endian.
#include <cstddef>
#include <cstdint>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_byte_view.h"
#include "ximage/toolkit/cx_stream.h"

class CxStreamReader {
public:
    // Measures the stream once: reading codecs never change its length.
    explicit CxStreamReader(CxStream* stream);

    CxStream* Stream() const { return stream_; }
    int64_t Position() const;
    // Bytes from the current position to the end (0 when unknown or past it).
    uint64_t Remaining() const;
    bool Has(uint64_t bytes) const { return bytes <= Remaining(); }

    // All of the bytes, or false (what was read stays in out, the rest zero).
    bool Read(void* out, size_t bytes);
    // Reads what there is and zero-fills the rest; returns the bytes read.
    size_t ReadOrZero(void* out, size_t bytes);
    // The next bytes into the pieces in turn; false when they do not all
    // come (the pieces are then filled with what came, the rest zero).
    bool ReadPieces(const qlry::ReadPiece* pieces, size_t count);
    bool Skip(uint64_t bytes);
    bool SeekTo(int64_t position);
    // The next byte, or -1 at the end.
    int GetByte();

    bool U8(uint8_t& v);
    bool U16(uint16_t& v);
    bool U32(uint32_t& v);
    bool U16BE(uint16_t& v);
    bool U32BE(uint32_t& v);

    // Every remaining byte into memory (refused above limit or the memory
    // cap), for codecs that parse from a CxByteView.
    bool ReadRest(CxBuffer& out, uint64_t limit = CXIMAGE_MAX_MEMORY);

private:
    CxStream* stream_;
    int64_t size_;
};

// Moves forward by bytes as a file seek does, past the end if need be (later
// reads then find nothing); false only when the stream refuses the position.
// For layouts whose short files still decode, with the missing bytes as zeros.
bool SeekForward(CxStreamReader& reader, uint64_t bytes);

// True when the stream can tell its length; one that cannot (Size -1) gives
// a header nothing to be checked against, and is then believed.
bool KnowsSize(const CxStreamReader& reader);
// reader.Has(bytes), or true when the stream cannot tell its length.
bool MayHave(const CxStreamReader& reader, uint64_t bytes);
