#pragma once
// CxFileStream: a CxStream over an open C FILE, which it does not own.
#include <cstdio>
#include <string>

#include "ximage/toolkit/cx_stream.h"

class CxFileStream : public CxStream {
public:
    explicit CxFileStream(FILE* file = nullptr) : file(file) {}
    ~CxFileStream() override { CxFileStream::Close(); }

    bool Close() override { return true; }  // the opener closes the FILE
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    int32_t Size() override;  // leaves the position where it was
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(uint8_t c) override;
    int32_t GetC() override;
    int64_t Tell64() override;
    int64_t Size64() override;
    bool Seek64(int64_t offset, int origin) override;

private:
    FILE* file;
};

// Opens a file by its wide-character path: _wfopen on Windows, fopen of the
// UTF-8 form elsewhere. mode is a C mode string such as "rb" or "wb".
FILE* CxOpenFile(const std::wstring& path, const char* mode);
