#pragma once
// CxMemStream: a CxStream over a growable memory block. Capacity grows in
// 4096-byte steps, so byte-by-byte writing reallocates once a page. A stream
// that receives a whole encoded file grows geometrically instead (Growth::
// Geometric): a block of tens of megabytes grown a page at a time is copied
// at every step by the Windows heap, which costs time quadratic in its size.
// The buffer is malloc'ed; a caller that detaches it frees it with free().
#include "ximage/toolkit/cx_stream.h"

class CxMemStream : public CxStream {
public:
    // Wraps an existing block of length bytes (not freed on Close); with a
    // null buffer nothing is open until Open.
    explicit CxMemStream(uint8_t* buffer = nullptr, int32_t length = 0);
    ~CxMemStream() override { CxMemStream::Close(); }
    CxMemStream(const CxMemStream&) = delete;
    CxMemStream& operator=(const CxMemStream&) = delete;

    enum class Growth { Pages, Geometric };

    bool Open();  // a fresh empty stream; false when one is open already
    // As Open, growing as asked: Geometric at least doubles the capacity at
    // each step, for large outputs written in many small pieces.
    bool Open(Growth growth);
    // The bytes; detach hands their ownership to the caller.
    uint8_t* GetBuffer(bool detach = true);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(uint8_t c) override;
    int32_t GetC() override;

    int32_t Capacity() const { return capacity; }

private:
    bool Grow(int64_t needed);
    void ZeroGap();

    uint8_t* buffer;
    int32_t size;      // highest position written, or the length given
    bool freeOnClose;
    int32_t position;
    int32_t capacity;
    bool growthFailed = false;  // a write found no memory: Error reports it
    Growth growth = Growth::Pages;
};
