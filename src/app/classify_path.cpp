#include "app/classify_path.h"

#include "app/image_extensions.h"
#include "app/path_text.h"

ContentKind ClassifyPath(const std::wstring& path) {
    const std::wstring extension = qlry::LowerAscii(qlry::FindExtension(path));
    for (const wchar_t* image : kImageExtensions) {
        if (extension == image) return KindImage;
    }
    return KindText;
}
