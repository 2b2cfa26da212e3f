#include "transfer/image_target_format.h"

#include <array>

#include "ximage/ximage_formats.h"

namespace qlry {

namespace {

struct ExtraExtension {
    const wchar_t* dotted;
    uint32_t format;
};

// Entries of the image list that the library's table has no row for.
constexpr std::array<ExtraExtension, 3> kListOnlyExtensions = {{
    {L".jfi", CXIMAGE_FORMAT_JPG},
    {L".jpe", CXIMAGE_FORMAT_JPG},
    {L".wbm", CXIMAGE_FORMAT_WBMP},
}};

bool EndsWithIgnoringAsciiCase(const std::wstring& text, const std::wstring& ending) {
    if (text.size() < ending.size()) return false;
    for (size_t i = 0; i < ending.size(); ++i) {
        wchar_t c = text[text.size() - ending.size() + i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != ending[i]) return false;
    }
    return true;
}

}  // namespace

uint32_t TargetImageFormat(const std::wstring& path) {
    if (const uint32_t format = FormatFromExtension(path); format != CXIMAGE_FORMAT_UNKNOWN) return format;
    // An extension is the path's tail from its last dot, so a path that ends
    // in one of these ends in that extension.
    for (const ExtraExtension& extra : kListOnlyExtensions) {
        if (EndsWithIgnoringAsciiCase(path, extra.dotted)) return extra.format;
    }
    return CXIMAGE_FORMAT_UNKNOWN;
}

}  // namespace qlry
