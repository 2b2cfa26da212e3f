#include "app/classify_path.h"

#include "ximage/ximage_extensions.h"
#include "platform/ascii_text.h"
#include "platform/path_text.h"

ContentKind ClassifyPath(const std::wstring& path) {
    const std::wstring extension = qlry::LowerAscii(qlry::FindExtension(path));
    for (const wchar_t* image : kImageExtensions) {
        if (extension == image) return KindImage;
    }
    return KindText;
}
