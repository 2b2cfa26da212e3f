#pragma once
// Naming a new file without asking: the name the dialog would propose (the
// date and time) with the extension it would preselect (the remembered one),
// numbered " (2)", " (3)", ... as Explorer numbers copies when that name is
// taken. Nothing is remembered and no message is shown.
#include <optional>
#include <string>

#include "newfile/name_dialog_services.h"
#include "transfer/name_dialogs.h"

namespace qlry {

// Highest copy number tried before giving up.
inline constexpr int kMaxCopyNumber = 9999;

// `proposed` itself when it is free, else the first free numbered name;
// nothing when the name rules refuse it (a device name, too long...) or
// every number is taken.
std::optional<NewFileName> FirstFreeName(const std::wstring& folder, const NewFileName& proposed, FileSystem& files);

// The proposals of the text and the image name dialog, cleaned as their OK
// cleans what the user typed.
NewFileName ProposedTextFileName(const std::wstring& folder, NameDialogServices& services);
NewFileName ProposedImageFileName(const std::wstring& folder, NameDialogServices& services);

// The name dialogs of a quick paste: they answer at once, with no window.
class QuickNameDialogs : public NameDialogs {
public:
    explicit QuickNameDialogs(NameDialogServices services) : m_services(services) {}

    bool AskTextFileName(const std::wstring& folder, NewFileName& chosen) override;
    bool AskImageFileName(const std::wstring& folder, NewFileName& chosen) override;

private:
    bool Answer(const std::wstring& folder, const NewFileName& proposed, NewFileName& chosen);

    NameDialogServices m_services;
};

}  // namespace qlry
