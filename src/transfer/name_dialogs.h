#pragma once
// The dialogs that name a new file for a paste into a folder.
#include <string>

class CTransfer;

namespace qlry {

struct NewFileName {
    std::wstring name;  // without extension
    std::wstring ext;   // dot included when the user or the list gave one
};

class NameDialogs {
public:
    virtual ~NameDialogs() = default;
    // Shows the dialog for `folder`; true when it closed with OK.
    virtual bool AskTextFileName(const std::wstring& folder, NewFileName& chosen) = 0;
    virtual bool AskImageFileName(const std::wstring& folder, NewFileName& chosen) = 0;
};

// folder, a backslash, name and extension; no dot is added.
std::wstring FormNewFilePath(const std::wstring& folder, const NewFileName& chosen);

// Pastes into the chosen new file, unless name and extension are both empty.
int PasteAsNewFile(CTransfer& handler, const std::wstring& folder, const NewFileName& chosen);

}  // namespace qlry
