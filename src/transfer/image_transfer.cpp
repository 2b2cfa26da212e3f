#include "transfer/image_transfer.h"

#include "transfer/name_dialogs.h"

// Image decoding and encoding arrive with the image library; until then the
// image handler reaches its operations and does nothing.
int CImageTransfer::CopyToClipboard(const std::wstring&) { return kTransferFailed; }

int CImageTransfer::PasteIntoFile(const std::wstring&, int) { return kTransferFailed; }

int CImageTransfer::PasteToNewFile(const std::wstring& folder) {
    qlry::NewFileName chosen;
    if (!m_services.dialogs || !m_services.dialogs->AskImageFileName(folder, chosen)) return kTransferFailed;
    return qlry::PasteAsNewFile(*this, folder, chosen);
}
