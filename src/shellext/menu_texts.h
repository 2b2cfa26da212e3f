#pragma once
// Command kinds, menu entry texts and help texts of the context menu.
#include <cstdint>

namespace qlry {

enum CommandKind : int32_t {
    CopyContents = 0,
    PasteOverwrite = 1,
    PasteAppend = 2,
    PasteAsNewFile = 3,
};

inline constexpr wchar_t kTextCopyContents[] = L"Copy File Contents to Clipboard";
inline constexpr wchar_t kTextPasteTextPopup[] = L"Paste Clipboard Text to File";
inline constexpr wchar_t kTextOverwrite[] = L"Overwrite";
inline constexpr wchar_t kTextAppend[] = L"Append";
inline constexpr wchar_t kTextPasteImage[] = L"Paste Clipboard Image to File";
inline constexpr wchar_t kTextPasteTextAsFile[] = L"Paste Clipboard Text as File";
inline constexpr wchar_t kTextPasteImageAsFile[] = L"Paste Clipboard Image as File";

// The status-bar help of a command; the image wording when the clipboard
// held an image at the last Initialize, the text wording otherwise.
const wchar_t* HelpText(CommandKind kind, int32_t clipboardKind);

}  // namespace qlry
