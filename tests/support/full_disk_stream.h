#pragma once
// A write-only stream that takes at most `limit` bytes in all, then writes
// only what still fits, as a disk that fills up mid-file does. Once full it
// reports an error, unless it is one that keeps quiet (as a buffered file
// does until it is flushed): then only the refused writes tell.
#include <cstddef>
#include <cstdint>

#include "ximage/toolkit/cx_stream.h"

namespace qlry::test {

class FullDiskStream : public CxStream {
public:
    explicit FullDiskStream(size_t limit, bool reportsError = true) : limit_(limit), reportsError_(reportsError) {}
    bool Close() override { return true; }
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void*, size_t size, size_t count) override {
        if (size == 0) return 0;
        const size_t room = (limit_ - written_) / size;
        const size_t n = count < room ? count : room;
        written_ += n * size;
        return n;
    }
    bool Seek(int32_t, int) override { return false; }
    int32_t Tell() override { return static_cast<int32_t>(written_); }
    int32_t Size() override { return static_cast<int32_t>(written_); }
    bool Flush() override { return true; }
    bool Eof() override { return true; }
    int32_t Error() override { return reportsError_ && written_ == limit_ ? 1 : 0; }
    int32_t GetC() override { return -1; }

private:
    size_t limit_;
    bool reportsError_;
    size_t written_ = 0;
};

}  // namespace qlry::test
