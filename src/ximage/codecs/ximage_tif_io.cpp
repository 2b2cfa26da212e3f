// libtiff over a CxStream: the client procedures and the open call.
#include "ximage/codecs/ximage_tif_io.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"

namespace {

constexpr size_t kWindowBytes = 64 * 1024;
constexpr toff_t kFailed = static_cast<toff_t>(-1);

TifClient* ClientOf(thandle_t handle) { return static_cast<TifClient*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    TifClient* client = ClientOf(handle);
    if (size <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    const auto wanted = static_cast<size_t>(size);
    if (!client->window) return static_cast<tmsize_t>(client->stream->Read(out, 1, wanted));
    size_t done = 0;
    while (done < wanted) {
        const int64_t offset = client->position - client->windowStart;
        if (offset >= 0 && static_cast<uint64_t>(offset) < client->windowLength) {
            const size_t n = std::min(wanted - done, client->windowLength - static_cast<size_t>(offset));
            std::memcpy(out + done, client->window.data() + offset, n);
            done += n;
            client->position += static_cast<int64_t>(n);
            continue;
        }
        if (!client->stream->Seek64(client->position, SEEK_SET)) break;
        if (wanted - done >= kWindowBytes) {  // large reads go straight through
            const size_t got = client->stream->Read(out + done, 1, wanted - done);
            done += got;
            client->position += static_cast<int64_t>(got);
            break;
        }
        client->windowStart = client->position;
        client->windowLength = client->stream->Read(client->window.data(), 1, kWindowBytes);
        if (client->windowLength == 0) break;
    }
    return static_cast<tmsize_t>(done);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return static_cast<tmsize_t>(ClientOf(handle)->stream->Write(buffer, 1, static_cast<size_t>(size)));
}

// Offsets are 64-bit in libtiff (BigTIFF); SEEK_CUR and SEEK_END carry
// negative offsets as wrapped unsigned values.
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    if (offset == kFailed) return kFailed;
    if (whence == SEEK_SET && offset > static_cast<toff_t>(INT64_MAX)) return kFailed;
    TifClient* client = ClientOf(handle);
    CxStream* stream = client->stream;
    const auto signedOffset = static_cast<int64_t>(offset);
    if (client->window) {
        // Reading: only the position moves; the next read fetches from there.
        int64_t target = signedOffset;
        if (whence == SEEK_CUR) target = client->position + signedOffset;
        if (whence == SEEK_END) target = stream->Size64() + signedOffset;
        if (target < 0) return kFailed;
        client->position = target;
        return static_cast<toff_t>(target);
    }
    // libtiff asks for the position it is at before most writes.
    if (whence == SEEK_SET && stream->Tell64() == signedOffset) return offset;
    if (!stream->Seek64(signedOffset, whence)) return kFailed;
    if (whence == SEEK_SET) return offset;
    const int64_t at = stream->Tell64();
    return at < 0 ? kFailed : static_cast<toff_t>(at);
}

int CloseProc(thandle_t) { return 0; }  // the stream belongs to the caller

toff_t SizeProc(thandle_t handle) {
    const int64_t size = ClientOf(handle)->stream->Size64();
    return size < 0 ? 0 : static_cast<toff_t>(size);
}

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff reports nothing itself: the codec's own texts reach lastError.
int Silent(TIFF*, void*, const char*, const char*, va_list) { return 1; }
void SilentGlobal(const char*, const char*, va_list) {}

}  // namespace

TifSession::TifSession(CxStream* stream, const char* mode) {
    if (!stream) return;
    client_.stream = stream;
    if (mode[0] == 'r') {
        // Offsets in the file count from the stream's start.
        if (!client_.window.Allocate(kWindowBytes)) return;
    }
    TIFFSetErrorHandler(SilentGlobal);
    TIFFSetWarningHandler(SilentGlobal);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return;
    // No single allocation of libtiff's may go beyond what an image may hold.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(CXIMAGE_MAX_MEMORY));
    TIFFOpenOptionsSetErrorHandlerExtR(options, Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silent, nullptr);
    tif_ = TIFFClientOpenExt("TIFF IMAGE", mode, static_cast<thandle_t>(&client_), ReadProc, WriteProc, SeekProc,
                             CloseProc, SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
}

TifSession::~TifSession() { Close(); }

void TifSession::Close() {
    if (tif_) TIFFClose(tif_);
    tif_ = nullptr;
}
