#include "newfile/quick_new_file_name.h"

#include "newfile/file_name_text.h"
#include "newfile/image_name_dlg.h"
#include "newfile/new_file_check.h"
#include "newfile/text_name_dlg.h"
#include "ximage/ximage_extensions.h"

namespace qlry {

namespace {

NewFileName Numbered(const NewFileName& proposed, int number) {
    if (number < 2) return proposed;
    return {proposed.name + L" (" + std::to_wstring(number) + L")", proposed.ext};
}

}  // namespace

std::optional<NewFileName> FirstFreeName(const std::wstring& folder, const NewFileName& proposed, FileSystem& files) {
    for (int number = 1; number <= kMaxCopyNumber; ++number) {
        const NewFileName candidate = Numbered(proposed, number);
        if (NewFileRefusal(folder, candidate, files).empty()) return candidate;
        // Refused for anything but being taken: a number will not help.
        if (!files.Exists(FormNewFilePath(folder, candidate))) return std::nullopt;
    }
    return std::nullopt;
}

NewFileName ProposedTextFileName(const std::wstring& folder, NameDialogServices& services) {
    // A remembered extension edited by hand could hold a backslash: it is
    // cleaned like a typed one, so the file stays in the folder.
    const CTextNameDlg dialog(folder, services);
    return {ReplaceInvalidNameChars(dialog.m_strName), ReplaceInvalidNameChars(dialog.m_strExt)};
}

NewFileName ProposedImageFileName(const std::wstring& folder, NameDialogServices& services) {
    const CImageNameDlg dialog(folder, services);
    return {dialog.m_strName, kImageExtensions[static_cast<size_t>(dialog.m_nExtIndex)]};
}

bool QuickNameDialogs::Answer(const std::wstring& folder, const NewFileName& proposed, NewFileName& chosen) {
    const auto free = FirstFreeName(folder, proposed, m_services.files);
    if (!free) return false;
    chosen = *free;
    return true;
}

bool QuickNameDialogs::AskTextFileName(const std::wstring& folder, NewFileName& chosen) {
    return Answer(folder, ProposedTextFileName(folder, m_services), chosen);
}

bool QuickNameDialogs::AskImageFileName(const std::wstring& folder, NewFileName& chosen) {
    return Answer(folder, ProposedImageFileName(folder, m_services), chosen);
}

}  // namespace qlry
