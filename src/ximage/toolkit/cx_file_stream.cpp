#include "ximage/toolkit/cx_file_stream.h"

size_t CxFileStream::Read(void* buffer, size_t size, size_t count) {
    if (!file || !buffer) return 0;
    return std::fread(buffer, size, count, file);
}

size_t CxFileStream::Write(const void* buffer, size_t size, size_t count) {
    if (!file || !buffer) return 0;
    return std::fwrite(buffer, size, count, file);
}

bool CxFileStream::Seek(int32_t offset, int origin) { return file && std::fseek(file, offset, origin) == 0; }

int32_t CxFileStream::Tell() { return file ? static_cast<int32_t>(std::ftell(file)) : 0; }

int32_t CxFileStream::Size() {
    if (!file) return -1;
    const long position = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long end = std::ftell(file);
    std::fseek(file, position, SEEK_SET);
    return static_cast<int32_t>(end);
}

bool CxFileStream::Flush() { return file && std::fflush(file) == 0; }

bool CxFileStream::Eof() { return !file || std::feof(file) != 0; }

int32_t CxFileStream::Error() { return file ? std::ferror(file) : -1; }

bool CxFileStream::PutC(uint8_t c) { return file && std::fputc(c, file) == c; }

int32_t CxFileStream::GetC() { return file ? std::getc(file) : -1; }

#ifdef _WIN32
#define CX_FSEEK64 _fseeki64
#define CX_FTELL64 _ftelli64
#else
#define CX_FSEEK64 fseeko
#define CX_FTELL64 ftello
#endif

int64_t CxFileStream::Tell64() { return file ? static_cast<int64_t>(CX_FTELL64(file)) : 0; }

bool CxFileStream::Seek64(int64_t offset, int origin) { return file && CX_FSEEK64(file, offset, origin) == 0; }

int64_t CxFileStream::Size64() {
    if (!file) return -1;
    const int64_t position = CX_FTELL64(file);
    if (position < 0 || CX_FSEEK64(file, 0, SEEK_END) != 0) return -1;
    const int64_t end = CX_FTELL64(file);
    CX_FSEEK64(file, position, SEEK_SET);
    return end;
}

#ifdef _WIN32
FILE* CxOpenFile(const std::wstring& path, const char* mode) {
    std::wstring wideMode;
    for (const char* m = mode; *m; ++m) wideMode.push_back(static_cast<wchar_t>(*m));
    return _wfopen(path.c_str(), wideMode.c_str());
}
#else
// wchar_t holds UTF-32 here; surrogate halves, should any appear, are paired first.
static std::string ToUtf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const auto low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

FILE* CxOpenFile(const std::wstring& path, const char* mode) { return std::fopen(ToUtf8(path).c_str(), mode); }
#endif
