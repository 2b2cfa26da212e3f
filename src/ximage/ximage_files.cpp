// CxImage: loading and saving whole files.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ximage/cx_file_stream.h"
#include "ximage/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Closes the FILE on every path.
struct FileCloser {
    FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

}  // namespace

bool CxImage::Load(const std::wstring& path, uint32_t format) {
    if (format >= 1 && format <= CXIMAGE_MAX_FORMAT) {
        FileCloser file{CxOpenFile(path, "rb")};
        if (!file.file) return false;
        CxFileStream stream(file.file);
        if (Decode(&stream, format)) return true;
    }
    char typedError[sizeof(info.lastError)];
    std::memcpy(typedError, info.lastError, sizeof(typedError));
    FileCloser file{CxOpenFile(path, "rb")};
    if (!file.file) return false;
    CxFileStream stream(file.file);
    const bool ok = Decode(&stream, CXIMAGE_FORMAT_UNKNOWN);
    if (!ok && format != CXIMAGE_FORMAT_UNKNOWN) std::memcpy(info.lastError, typedError, sizeof(typedError));
    return ok;
}

bool CxImage::Save(const std::wstring& path, uint32_t format) {
    // Encoded into memory first: a refused image or an unknown format must not
    // have truncated the file it was meant to replace.
    CxMemStream memory;
    if (!memory.Open()) return false;
    if (!Encode(&memory, format)) return false;
    const auto size = static_cast<size_t>(memory.Size());
    const uint8_t* bytes = memory.GetBuffer(false);

    FILE* file = CxOpenFile(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
