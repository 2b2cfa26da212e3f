#pragma once
// The libtiff side of CxImageTIF: libtiff opened over a CxStream through
// client procedures (no memory mapping), with its messages silenced and its
// own allocations held to the image library's memory cap. Internal to the
// codec's sources.
#include <tiffio.h>

class CxStream;

// A libtiff handle over stream in mode "rb" or "a" (the stream stays the
// caller's); null when libtiff cannot open it.
TIFF* TifOpenStream(CxStream* stream, const char* mode);

// Closes a handle on scope exit.
class TifHandle {
public:
    explicit TifHandle(TIFF* tif) : tif_(tif) {}
    ~TifHandle() {
        if (tif_) TIFFClose(tif_);
    }
    TifHandle(const TifHandle&) = delete;
    TifHandle& operator=(const TifHandle&) = delete;
    TIFF* get() const { return tif_; }
    explicit operator bool() const { return tif_ != nullptr; }

private:
    TIFF* tif_;
};
