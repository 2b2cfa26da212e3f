#pragma once
// An in-memory file system that records how files were opened and can be
// made to fail at every step of a write: open, read, write (also half way,
// as a full disk does), flush, close, replace, rename.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qlry::test {

struct OpenCall {
    std::wstring path;
    FileAccess access;
    FileShare share;
    FileDisposition disposition;
};

class FakeFileSystem : public FileSystem {
public:
    std::map<std::wstring, std::string> files;  // path -> bytes
    std::set<std::wstring> folders;
    std::set<std::wstring> locked;     // held open by another program without sharing
    std::set<std::wstring> heldOpen;   // held open by another program that shares read and write
    std::set<std::wstring> readOnly;   // read-only attribute
    std::map<std::wstring, uint32_t> attributes;  // other attributes, which a replace keeps
    std::set<std::wstring> closedFolders;  // folders where no new file may be created
    std::vector<OpenCall> opens;
    bool failRead = false;
    bool failWrite = false;
    size_t diskSpace = SIZE_MAX;  // bytes that writes may still add before the disk is full
    bool failFlush = false;
    bool failClose = false;
    bool failReplace = false;
    bool failRename = false;

    std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare share,
                               FileDisposition disposition) override;
    bool Exists(const std::wstring& path) override { return files.count(path) || folders.count(path); }
    bool IsDirectory(const std::wstring& path) override { return folders.count(path) != 0; }
    ReplaceResult Replace(const std::wstring& target, const std::wstring& replacement) override;
    bool Rename(const std::wstring& from, const std::wstring& to) override;
    bool Delete(const std::wstring& path) override;
};

}  // namespace qlry::test
