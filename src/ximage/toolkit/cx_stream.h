#pragma once
// CxStream: the byte stream every codec reads and writes through, with the
// conventions of the C buffered file library (element size and count,
// SEEK_SET/SEEK_CUR/SEEK_END as 0/1/2, -1 for a failed character read).
#include <cstddef>
#include <cstdint>

#include "platform/file_system.h"  // ReadPiece

class CxStream {
public:
    virtual ~CxStream() = default;
    virtual bool Close() = 0;  // true when nothing failed
    // Whole elements read / written.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t Size() = 0;  // -1 when nothing is open
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual int32_t Error() = 0;  // nonzero on error, -1 when nothing is open
    virtual bool PutC(uint8_t c) { return Write(&c, 1, 1) == 1; }
    virtual int32_t GetC() = 0;  // 0-255, or -1 at the end
    // The next bytes into the pieces in turn, as one Read into them all
    // would; the bytes read. A file stream reads them with one call.
    virtual size_t ReadPieces(const qlry::ReadPiece* pieces, size_t count) {
        size_t total = 0;
        for (size_t i = 0; i < count; ++i) {
            const size_t n = Read(pieces[i].data, 1, pieces[i].size);
            total += n;
            if (n < pieces[i].size) break;
        }
        return total;
    }
    // 64-bit positions for streams that can be larger than 2 GiB (files);
    // the 32-bit calls above stay the interface's own.
    virtual int64_t Tell64() { return Tell(); }
    virtual int64_t Size64() { return Size(); }
    virtual bool Seek64(int64_t offset, int origin) {
        if (offset < INT32_MIN || offset > INT32_MAX) return false;
        return Seek(static_cast<int32_t>(offset), origin);
    }
};
