#include "ximage/toolkit/cx_port_file_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include "ximage/toolkit/cx_allocation.h"

CxPortFileStream::CxPortFileStream(qlry::File& file)
    : file_(file), buffer_(cximage::NewArray<uint8_t>(kBufferSize)) {
    uint64_t size = 0;
    if (file_.Size(size) && size <= static_cast<uint64_t>(INT64_MAX)) size_ = static_cast<int64_t>(size);
    if (!buffer_) error_ = true;
}

CxPortFileStream::~CxPortFileStream() = default;

bool CxPortFileStream::ReadAt(uint8_t* out, size_t bytes, size_t& got) {
    got = 0;
    if (filePosition_ != position_ && !file_.Seek(static_cast<uint64_t>(position_))) {
        filePosition_ = -1;
        error_ = true;
        return false;
    }
    if (!file_.Read(out, bytes, got)) {
        filePosition_ = -1;
        error_ = true;
        return false;
    }
    if (got > bytes) got = bytes;
    filePosition_ = position_ + static_cast<int64_t>(got);
    return true;
}

bool CxPortFileStream::Fill() {
    if (!buffer_ || error_) return false;
    bufferStart_ = position_;
    bufferLength_ = 0;
    size_t got = 0;
    if (!ReadAt(buffer_.get(), kBufferSize, got)) return false;
    bufferLength_ = got;
    return got != 0;
}

bool CxPortFileStream::ReadDirect(uint8_t* out, size_t bytes, size_t& done) {
    if (!buffer_ || error_) return false;
    size_t got = 0;
    if (!ReadAt(out, bytes, got)) return false;
    done += got;
    position_ += static_cast<int64_t>(got);
    return got != 0;
}

size_t CxPortFileStream::Read(void* buffer, size_t size, size_t count) {
    if (!buffer || size == 0 || count == 0) return 0;
    if (count > SIZE_MAX / size) count = SIZE_MAX / size;
    const size_t wanted = size * count;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < wanted) {
        const int64_t offset = position_ - bufferStart_;
        if (offset < 0 || static_cast<uint64_t>(offset) >= bufferLength_) {
            // A large remainder goes straight from the file to the caller:
            // copying it through the buffer would only add a pass.
            if (wanted - done >= kBufferSize) {
                if (!ReadDirect(out + done, wanted - done, done)) break;
                continue;
            }
            if (!Fill()) break;
            continue;
        }
        const size_t take = std::min(wanted - done, bufferLength_ - static_cast<size_t>(offset));
        std::memcpy(out + done, buffer_.get() + offset, take);
        done += take;
        position_ += static_cast<int64_t>(take);
    }
    if (done < wanted && !error_) eof_ = true;
    return done / size;
}

size_t CxPortFileStream::ReadPieces(const qlry::ReadPiece* pieces, size_t count) {
    size_t total = 0, first = 0, into = 0;  // first piece not yet full, and its bytes so far
    while (first < count) {
        const int64_t offset = position_ - bufferStart_;
        if (offset < 0 || static_cast<uint64_t>(offset) >= bufferLength_) break;
        const size_t take = std::min(pieces[first].size - into, bufferLength_ - static_cast<size_t>(offset));
        std::memcpy(static_cast<uint8_t*>(pieces[first].data) + into, buffer_.get() + offset, take);
        position_ += static_cast<int64_t>(take);
        total += take;
        into += take;
        if (into == pieces[first].size) ++first, into = 0;
    }
    if (first == count || error_) return total;
    // The piece the buffer ended inside is finished by a read of its own.
    if (into > 0) {
        const qlry::ReadPiece tail{static_cast<uint8_t*>(pieces[first].data) + into, pieces[first].size - into};
        const size_t got = ReadPast(&tail, 1);
        total += got;
        if (got < tail.size) return total;
        ++first;
    }
    return first < count ? total + ReadPast(pieces + first, count - first) : total;
}

size_t CxPortFileStream::ReadPast(const qlry::ReadPiece* pieces, size_t count) {
    size_t wanted = 0, got = 0;
    for (size_t i = 0; i < count; ++i) wanted += pieces[i].size;
    if ((filePosition_ != position_ && !file_.Seek(static_cast<uint64_t>(position_))) ||
        !file_.ReadPieces(pieces, count, got)) {
        filePosition_ = -1;
        error_ = true;
        return 0;
    }
    got = std::min(got, wanted);
    position_ += static_cast<int64_t>(got);
    filePosition_ = position_;
    if (got < wanted) eof_ = true;
    return got;
}

int32_t CxPortFileStream::GetC() {
    const int64_t offset = position_ - bufferStart_;
    if (offset >= 0 && static_cast<uint64_t>(offset) < bufferLength_) {
        ++position_;
        return buffer_[static_cast<size_t>(offset)];
    }
    uint8_t byte = 0;
    return Read(&byte, 1, 1) == 1 ? byte : -1;
}

bool CxPortFileStream::Seek64(int64_t offset, int origin) {
    int64_t base = 0;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = position_; break;
    case SEEK_END:
        if (size_ < 0) return false;
        base = size_;
        break;
    default: return false;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return false;
    position_ = target;
    eof_ = false;
    return true;
}

int32_t CxPortFileStream::Tell() { return position_ > INT32_MAX ? -1 : static_cast<int32_t>(position_); }

int32_t CxPortFileStream::Size() { return size_ > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size_); }
