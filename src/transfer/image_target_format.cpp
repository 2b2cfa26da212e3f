#include "transfer/image_target_format.h"

#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "ximage/ximage_extensions.h"
#include "ximage/ximage_formats.h"

namespace qlry {

uint32_t TargetImageFormat(const std::wstring& path) {
    if (const uint32_t format = FormatFromExtension(path); format != CXIMAGE_FORMAT_UNKNOWN) return format;
    // The list's entries that the library's table has no row for.
    const std::wstring extension = LowerAscii(FindExtension(path));
    for (const CxExtensionRow& row : kCxExtensionTable)
        if (row.listed >= 0 && row.extension == extension) return row.format;
    return CXIMAGE_FORMAT_UNKNOWN;
}

}  // namespace qlry
