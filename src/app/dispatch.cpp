#include "app/dispatch.h"

#include "app/classify_path.h"
#include "app/clipboard_kind.h"
#include "transfer/image_transfer.h"
#include "transfer/text_transfer.h"

int RunCopy(const std::wstring& path, qlry::TransferServices& services) {
    // The handlers are stateless: one lives on the stack for this one call.
    if (ClassifyPath(path) == KindImage) {
        CImageTransfer transfer(services);
        transfer.CopyToClipboard(path);
    } else {
        CTextTransfer transfer(services);
        transfer.CopyToClipboard(path);
    }
    return 0;
}

namespace {

void Paste(CTransfer& transfer, const std::wstring& path, int bAppend, int bNewFile) {
    if (bNewFile) {
        transfer.PasteToNewFile(path);  // the append flag plays no part here
    } else {
        transfer.PasteIntoFile(path, bAppend);
    }
}

}  // namespace

int RunPaste(const std::wstring& path, int bAppend, int bNewFile, qlry::TransferServices& services) {
    switch (GetClipboardKind(services.clipboard)) {
        case KindText: {
            CTextTransfer transfer(services);
            Paste(transfer, path, bAppend, bNewFile);
            return 0;
        }
        case KindImage: {
            CImageTransfer transfer(services);
            Paste(transfer, path, bAppend, bNewFile);
            return 0;
        }
        default:
            return -1;
    }
}
