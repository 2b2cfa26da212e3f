#pragma once
// The libjpeg side of CxImageJPG: the error manager shared by decoding and
// encoding. Internal to the codec's sources.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared before it

#include <jpeglib.h>
// After jpeglib.h: the message codes and the ERREXIT / WARNMS macros.
#include <jerror.h>

class CxImage;

// libjpeg's standard error manager with error_exit replaced: the message goes
// into the image's lastError and control returns to the recovery point of the
// running call. Warnings are counted as usual but never printed.
struct JpgErrorManager {
    jpeg_error_mgr pub;  // first member: libjpeg hands back a pointer to it
    jmp_buf recovery;
    CxImage* image;
    jpeg_memory_mgr library;  // libjpeg's own allocation methods, behind the gate
};

// Fills err and returns the pointer to assign to cinfo.err.
jpeg_error_mgr* JpgInstallErrorManager(JpgErrorManager* err, CxImage* image);

// Right after jpeg_create_*: libjpeg's later requests for memory pass the
// image library's allocation gate; a refused one ends as libjpeg's own
// out-of-memory error.
void JpgGateMemory(j_common_ptr cinfo);

// Bytes handed to or taken from the stream per call.
inline constexpr size_t kJpgBufferSize = 4096;
