// libtiff over a CxStream: the client procedures and the open call.
#include "ximage/codecs/ximage_tif_io.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "ximage/toolkit/cx_stream.h"
#include "ximage/ximage.h"

namespace {

constexpr toff_t kFailed = static_cast<toff_t>(-1);

TifClient* ClientOf(thandle_t handle) { return static_cast<TifClient*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return static_cast<tmsize_t>(ClientOf(handle)->stream->Read(buffer, 1, static_cast<size_t>(size)));
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
    CxStream* stream = ClientOf(handle)->stream;
    const auto signedOffset = static_cast<int64_t>(offset);
    // libtiff asks for the position it is at before most reads and writes.
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
