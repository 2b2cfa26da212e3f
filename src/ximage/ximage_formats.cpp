#include "ximage/ximage_formats.h"

#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "ximage/ximage_extensions.h"

uint32_t FormatFromExtension(const std::wstring& path) {
    const std::wstring extension = qlry::LowerAscii(qlry::FindExtension(path));
    for (const CxExtensionRow& row : kCxExtensionTable)
        if (row.named && row.extension == extension) return row.format;
    return CXIMAGE_FORMAT_UNKNOWN;
}
