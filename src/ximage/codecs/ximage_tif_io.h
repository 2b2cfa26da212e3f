#pragma once
// The libtiff side of CxImageTIF: libtiff opened over a CxStream through
// client procedures (no memory mapping), with its messages silenced and its
// own allocations held to the image library's memory cap. Internal to the
// codec's sources.
#include <tiffio.h>

#include <cstddef>
#include <cstdint>

class CxStream;

// What libtiff's client procedures work on: the stream itself. libtiff asks
// for each strip separately, a few kilobytes at a time; a file stream
// buffers its reads, so these cost a copy and no system call.
struct TifClient {
    CxStream* stream = nullptr;
};

// An open libtiff handle over a stream (the stream stays the caller's),
// closed with the session.
class TifSession {
public:
    // mode "rb" reads, "a" writes a new file (or appends to one).
    TifSession(CxStream* stream, const char* mode);
    ~TifSession();
    TifSession(const TifSession&) = delete;
    TifSession& operator=(const TifSession&) = delete;

    TIFF* get() const { return tif_; }
    explicit operator bool() const { return tif_ != nullptr; }
    // Closes the handle now (writing: libtiff writes the directory).
    void Close();

private:
    TifClient client_;
    TIFF* tif_ = nullptr;
};
