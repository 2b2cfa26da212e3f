#include "transfer/name_dialogs.h"

#include "transfer/transfer.h"

namespace qlry {

std::wstring FormNewFilePath(const std::wstring& folder, const NewFileName& chosen) {
    return folder + L"\\" + chosen.name + chosen.ext;
}

int PasteAsNewFile(CTransfer& handler, const std::wstring& folder, const NewFileName& chosen) {
    if (chosen.name.empty() && chosen.ext.empty()) return kTransferFailed;
    return handler.PasteIntoFile(FormNewFilePath(folder, chosen), 0);
}

}  // namespace qlry
