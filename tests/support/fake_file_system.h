#pragma once
// An in-memory file system that records how files were opened and can be
// made to fail on open, read, write or close.
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
    std::set<std::wstring> locked;  // opened by another program without sharing
    std::vector<OpenCall> opens;
    bool failRead = false;
    bool failWrite = false;
    bool failClose = false;

    std::unique_ptr<File> Open(const std::wstring& path, FileAccess access, FileShare share,
                               FileDisposition disposition) override;
    bool Exists(const std::wstring& path) override { return files.count(path) || folders.count(path); }
    bool IsDirectory(const std::wstring& path) override { return folders.count(path) != 0; }
};

}  // namespace qlry::test
