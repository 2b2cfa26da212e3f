#pragma once
// The libtiff side of CxImageTIF: libtiff opened over a CxStream through
// client procedures (no memory mapping), with its messages silenced and its
// own allocations held to the image library's memory cap. Internal to the
// codec's sources.
#include <tiffio.h>

#include <cstddef>
#include <cstdint>

#include "ximage/toolkit/cx_buffer.h"

class CxStream;

// What libtiff's client procedures work on. Reading goes through a window
// of the stream: libtiff asks for each strip separately, mostly a few
// kilobytes at a time, and a file stream would make each a system call.
struct TifClient {
    CxStream* stream = nullptr;
    CxBuffer window;          // reading only; empty when writing
    int64_t position = 0;     // libtiff's position (reading)
    int64_t windowStart = 0;
    size_t windowLength = 0;
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
