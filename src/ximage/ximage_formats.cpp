#include "ximage/ximage_formats.h"

#include <array>
#include <string_view>

namespace {

struct ExtensionRow {
    std::wstring_view extension;
    uint32_t format;
};

// Compared in this order; the first match wins.
constexpr std::array kExtensions{
    ExtensionRow{L".bmp", CXIMAGE_FORMAT_BMP},  ExtensionRow{L".jpg", CXIMAGE_FORMAT_JPG},
    ExtensionRow{L".jpeg", CXIMAGE_FORMAT_JPG}, ExtensionRow{L".gif", CXIMAGE_FORMAT_GIF},
    ExtensionRow{L".png", CXIMAGE_FORMAT_PNG},  ExtensionRow{L".ico", CXIMAGE_FORMAT_ICO},
    ExtensionRow{L".tiff", CXIMAGE_FORMAT_TIF}, ExtensionRow{L".tif", CXIMAGE_FORMAT_TIF},
    ExtensionRow{L".tga", CXIMAGE_FORMAT_TGA},  ExtensionRow{L".pcx", CXIMAGE_FORMAT_PCX},
    ExtensionRow{L".wbmp", CXIMAGE_FORMAT_WBMP}, ExtensionRow{L".wmf", CXIMAGE_FORMAT_WMF},
    ExtensionRow{L".emf", CXIMAGE_FORMAT_WMF},  ExtensionRow{L".jp2", CXIMAGE_FORMAT_JP2},
    ExtensionRow{L".j2k", CXIMAGE_FORMAT_JP2},  ExtensionRow{L".jpc", CXIMAGE_FORMAT_JPC},
    ExtensionRow{L".j2c", CXIMAGE_FORMAT_JPC},  ExtensionRow{L".pgx", CXIMAGE_FORMAT_PGX},
    ExtensionRow{L".ras", CXIMAGE_FORMAT_RAS},  ExtensionRow{L".pnm", CXIMAGE_FORMAT_PNM},
    ExtensionRow{L".pgm", CXIMAGE_FORMAT_PNM},  ExtensionRow{L".ppm", CXIMAGE_FORMAT_PNM},
};

// The extension as the shell's PathFindExtensionW finds it: the last dot, unless
// a space or a path separator follows it; empty when there is none.
std::wstring FindExtension(const std::wstring& path) {
    size_t dot = std::wstring::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c == L'\\' || c == L'/' || c == L' ') dot = std::wstring::npos;
        else if (c == L'.') dot = i;
    }
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

}  // namespace

uint32_t FormatFromExtension(const std::wstring& path) {
    std::wstring extension = FindExtension(path);
    for (wchar_t& c : extension)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    for (const ExtensionRow& row : kExtensions)
        if (row.extension == extension) return row.format;
    return CXIMAGE_FORMAT_UNKNOWN;
}
