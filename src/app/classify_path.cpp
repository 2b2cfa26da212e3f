#include "app/classify_path.h"

#include "ximage/ximage_extensions.h"
#include "platform/ascii_text.h"
#include "platform/path_text.h"

ContentKind ClassifyPath(const std::wstring& path) {
    // Every row counts: the names FormatFromExtension knows (".jpeg",
    // ".tiff", ".ico"...) as well as those only the name dialog offers.
    const std::wstring extension = qlry::LowerAscii(qlry::FindExtension(path));
    for (const CxExtensionRow& row : kCxExtensionTable) {
        if (row.extension == extension) return KindImage;
    }
    return KindText;
}
