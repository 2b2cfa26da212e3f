#include "ximage/toolkit/cx_stream_reader.h"

#include <cstdio>
#include <cstring>

CxStreamReader::CxStreamReader(CxStream* stream) : stream_(stream), size_(stream ? stream->Size64() : -1) {}

int64_t CxStreamReader::Position() const { return stream_ ? stream_->Tell64() : 0; }

uint64_t CxStreamReader::Remaining() const {
    const int64_t here = Position();
    if (size_ < 0 || here < 0 || here > size_) return 0;
    return static_cast<uint64_t>(size_ - here);
}

bool CxStreamReader::Read(void* out, size_t bytes) { return ReadOrZero(out, bytes) == bytes; }

size_t CxStreamReader::ReadOrZero(void* out, size_t bytes) {
    const size_t got = stream_ && bytes ? stream_->Read(out, 1, bytes) : 0;
    if (got < bytes) std::memset(static_cast<uint8_t*>(out) + got, 0, bytes - got);
    return got;
}

bool CxStreamReader::ReadPieces(const qlry::ReadPiece* pieces, size_t count) {
    size_t got = stream_ ? stream_->ReadPieces(pieces, count) : 0;
    bool whole = true;
    for (size_t i = 0; i < count; ++i) {
        const size_t here = got < pieces[i].size ? got : pieces[i].size;
        if (here < pieces[i].size) {
            std::memset(static_cast<uint8_t*>(pieces[i].data) + here, 0, pieces[i].size - here);
            whole = false;
        }
        got -= here;
    }
    return whole;
}

bool CxStreamReader::Skip(uint64_t bytes) {
    if (!Has(bytes)) return false;
    return SeekTo(Position() + static_cast<int64_t>(bytes));
}

bool CxStreamReader::SeekTo(int64_t position) {
    if (!stream_ || position < 0 || (size_ >= 0 && position > size_)) return false;
    return stream_->Seek64(position, SEEK_SET);
}

int CxStreamReader::GetByte() { return stream_ ? stream_->GetC() : -1; }

namespace {

template <class T, class Load>
bool ReadField(CxStreamReader& reader, size_t bytes, T& v, Load load) {
    uint8_t b[4];
    if (!reader.Read(b, bytes)) return false;
    v = static_cast<T>(load(b));
    return true;
}

}  // namespace

bool CxStreamReader::U8(uint8_t& v) { return ReadField(*this, 1, v, [](const uint8_t* p) { return p[0]; }); }
bool CxStreamReader::U16(uint16_t& v) { return ReadField(*this, 2, v, cximage::LoadU16); }
bool CxStreamReader::U32(uint32_t& v) { return ReadField(*this, 4, v, cximage::LoadU32); }
bool CxStreamReader::U16BE(uint16_t& v) { return ReadField(*this, 2, v, cximage::LoadU16BE); }
bool CxStreamReader::U32BE(uint32_t& v) { return ReadField(*this, 4, v, cximage::LoadU32BE); }

bool CxStreamReader::ReadRest(CxBuffer& out, uint64_t limit) {
    const uint64_t bytes = Remaining();
    if (bytes > limit || !out.Allocate(bytes)) return false;
    return Read(out.data(), out.size());
}

bool SeekForward(CxStreamReader& reader, uint64_t bytes) {
    const int64_t here = reader.Position();
    if (!reader.Stream() || here < 0 || bytes > static_cast<uint64_t>(INT64_MAX - here)) return false;
    return reader.Stream()->Seek64(here + static_cast<int64_t>(bytes), SEEK_SET);
}

bool KnowsSize(const CxStreamReader& reader) { return reader.Stream() && reader.Stream()->Size64() >= 0; }

bool MayHave(const CxStreamReader& reader, uint64_t bytes) { return !KnowsSize(reader) || reader.Has(bytes); }
