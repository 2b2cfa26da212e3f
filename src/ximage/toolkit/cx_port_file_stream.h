#pragma once
// CxPortFileStream: a read-only CxStream over a file opened through the file
// port (platform/file_system.h), so that images are read the same way as
// text and can be tested over the port's fakes. It buffers like the C
// library's FILE (codecs read byte by byte) and keeps the FILE conventions:
// the end-of-file indicator is set by a read that reaches the end and cleared
// by a seek. Positions are 64-bit inside.
#include <cstdint>
#include <memory>

#include "platform/file_system.h"
#include "ximage/toolkit/cx_stream.h"

class CxPortFileStream : public CxStream {
public:
    explicit CxPortFileStream(qlry::File& file);
    ~CxPortFileStream() override;
    CxPortFileStream(const CxPortFileStream&) = delete;
    CxPortFileStream& operator=(const CxPortFileStream&) = delete;

    bool Close() override { return true; }  // the opener closes the file
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void*, size_t, size_t) override { return 0; }  // read-only
    bool Seek(int32_t offset, int origin) override { return Seek64(offset, origin); }
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override { return true; }
    bool Eof() override { return eof_; }
    int32_t Error() override { return error_ ? 1 : 0; }
    bool PutC(uint8_t) override { return false; }
    int32_t GetC() override;
    // What the buffer holds first, the rest straight from the file.
    size_t ReadPieces(const qlry::ReadPiece* pieces, size_t count) override;
    int64_t Tell64() override { return position_; }
    int64_t Size64() override { return size_; }
    bool Seek64(int64_t offset, int origin) override;

private:
    bool Fill();  // loads the buffer at position_; false at the end or on an error
    // Reads straight from the file at position_, past the buffer; the bytes read.
    size_t ReadPast(const qlry::ReadPiece* pieces, size_t count);
    // Reads bytes at position_ straight into out, adding what came to done;
    // false at the end or on an error.
    bool ReadDirect(uint8_t* out, size_t bytes, size_t& done);
    // Reads up to bytes at position_ from the file, moving the file there
    // first unless it is there already; false on an error.
    bool ReadAt(uint8_t* out, size_t bytes, size_t& got);

    static constexpr size_t kBufferSize = 1 << 16;
    qlry::File& file_;
    int64_t size_ = -1;
    int64_t position_ = 0;     // the stream's position
    int64_t filePosition_ = -1;  // where the file is; -1 when not known
    int64_t bufferStart_ = 0;  // file offset of buffer_[0]
    size_t bufferLength_ = 0;  // valid bytes in buffer_
    std::unique_ptr<uint8_t[]> buffer_;
    bool eof_ = false;
    bool error_ = false;
};
