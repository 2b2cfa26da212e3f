#include "shellext/menu_texts.h"

#include "common/content_kind.h"

namespace qlry {

const wchar_t* HelpText(CommandKind kind, int32_t clipboardKind) {
    const bool image = clipboardKind == KindImage;
    switch (kind) {
    case CopyContents:
        return L"Copy the contents of the selected file to your clipboard.";
    case PasteOverwrite:
        return image ? L"Paste the image on your clipboard to the selected file, overwrite the file."
                     : L"Paste the text on your clipboard to the selected file, overwrite the file.";
    case PasteAppend:
        return image ? L"Paste the image on your clipboard to the selected file, append the file."
                     : L"Paste the text on your clipboard to the selected file, append the file.";
    case PasteAsNewFile:
        return image ? L"Create a new file, and paste the image on your clipboard to the file."
                     : L"Create a new file, and paste the text on your clipboard to the file.";
    }
    return L"";
}

}  // namespace qlry
