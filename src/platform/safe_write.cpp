#include "platform/safe_write.h"

namespace qlry {

namespace {

constexpr unsigned kTemporaryNameTries = 100;

// Writes, flushes and closes; false when any step failed.
bool WriteAndClose(File& file, const void* data, size_t size) {
    const bool written = size == 0 || file.Write(data, size);
    const bool flushed = written && file.Flush();
    const bool closed = file.Close();
    return written && flushed && closed;
}

// A new temporary file beside path holding the bytes; its name, or empty.
std::wstring WriteTemporary(FileSystem& files, const std::wstring& path, const void* data, size_t size) {
    for (unsigned n = 0; n < kTemporaryNameTries; ++n) {
        const std::wstring name = TemporaryNameFor(path, n);
        auto file = files.Open(name, FileAccess::Write, FileShare::None, FileDisposition::CreateNew);
        if (!file) {
            if (files.Exists(name)) continue;  // taken: try the next name
            return {};                          // the folder takes no new file
        }
        if (WriteAndClose(*file, data, size)) return name;
        file.reset();
        files.Delete(name);
        return {};
    }
    return {};
}

// The old way, for a target held open by another program: its bytes are
// replaced in place, now that the whole output is ready.
bool WriteInPlace(FileSystem& files, const std::wstring& path, const void* data, size_t size) {
    auto file = files.Open(path, FileAccess::Write, FileShare::ReadWrite, FileDisposition::CreateAlways);
    return file && WriteAndClose(*file, data, size);
}

}  // namespace

std::wstring TemporaryNameFor(const std::wstring& path, unsigned n) {
    return path + L".~qlry" + std::to_wstring(n) + L".tmp";
}

bool WriteWholeFile(FileSystem& files, const std::wstring& path, const void* data, size_t size) {
    if (files.IsDirectory(path)) return false;
    const std::wstring temporary = WriteTemporary(files, path, data, size);
    if (temporary.empty()) return false;

    bool done = false;
    if (!files.Exists(path)) {
        done = files.Rename(temporary, path);
    } else {
        switch (files.Replace(path, temporary)) {
        case ReplaceResult::Replaced: done = true; break;
        case ReplaceResult::TargetBusy: done = WriteInPlace(files, path, data, size); break;
        case ReplaceResult::Failed: break;
        }
    }
    if (files.Exists(temporary)) files.Delete(temporary);
    return done;
}

bool AppendToFile(FileSystem& files, const std::wstring& path, const void* data, size_t size) {
    auto file = files.Open(path, FileAccess::Write, FileShare::ReadWrite, FileDisposition::OpenExisting);
    uint64_t oldSize = 0;
    if (!file || !file->Size(oldSize) || !file->SeekToEnd()) return false;
    if (size == 0) return file->Close();
    if (file->Write(data, size) && file->Flush() && file->Close()) return true;

    // Put the old end back: through this handle while it is open, else
    // through a new one.
    if (!file->Truncate(oldSize)) {
        file.reset();
        file = files.Open(path, FileAccess::Write, FileShare::ReadWrite, FileDisposition::OpenExisting);
        if (file) file->Truncate(oldSize);
    }
    if (file) file->Close();
    return false;
}

}  // namespace qlry
