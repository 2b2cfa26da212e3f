// CxImage: loading and saving whole files, through the file port.
#include <cstring>

#include "platform/safe_write.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_port_file_stream.h"
#include "ximage/ximage.h"

bool CxImage::Load(const std::wstring& path, uint32_t format, qlry::FileSystem& files) {
    auto file = files.Open(path, qlry::FileAccess::Read, qlry::FileShare::ReadWrite,
                           qlry::FileDisposition::OpenExisting);
    if (!file) return false;
    if (format >= 1 && format <= CXIMAGE_MAX_FORMAT) {
        CxPortFileStream typed(*file);
        if (Decode(&typed, format)) return true;
    }
    char typedError[sizeof(info.lastError)];
    std::memcpy(typedError, info.lastError, sizeof(typedError));
    CxPortFileStream stream(*file);  // from the start again
    const bool ok = Decode(&stream, CXIMAGE_FORMAT_UNKNOWN);
    if (!ok && format != CXIMAGE_FORMAT_UNKNOWN) std::memcpy(info.lastError, typedError, sizeof(typedError));
    return ok;
}

bool CxImage::Save(const std::wstring& path, uint32_t format, qlry::FileSystem& files) {
    // Encoded into memory first, then written all or nothing: a refused
    // image, an unknown format or a failed write leaves the file as it was.
    CxMemStream memory;
    if (!memory.Open(CxMemStream::Growth::Geometric)) return false;
    if (!Encode(&memory, format)) return false;
    if (memory.Error()) return false;
    const auto size = static_cast<size_t>(memory.Size());
    return qlry::WriteWholeFile(files, path, memory.GetBuffer(false), size);
}
