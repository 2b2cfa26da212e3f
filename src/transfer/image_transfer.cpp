#include "transfer/image_transfer.h"

#include "common/user_settings.h"
#include "transfer/clipboard_alpha_blocks.h"
#include "transfer/clipboard_image_reader.h"
#include "transfer/image_target_format.h"
#include "transfer/name_dialogs.h"
#include "ximage/ximage.h"

int CImageTransfer::CopyToClipboard(const std::wstring& path) {
    // The file's content, not its name, decides how it is decoded.
    CxImage image(CXIMAGE_FORMAT_UNKNOWN);
    if (!image.Load(path, CXIMAGE_FORMAT_UNKNOWN, m_services.files)) return kTransferFailed;

    qlry::UniqueGlobal block(m_services.memory, image.ExportDibHandle(m_services.memory));
    if (!block) return kTransferFailed;
    // A picture with transparency also goes as "PNG" and CF_DIBV5, which keep it.
    qlry::ClipboardAlphaBlocks alphaBlocks(image, m_services.memory);
    if (!alphaBlocks.Complete()) return kTransferFailed;

    qlry::ClipboardGuard open(m_services.clipboard);
    if (!open) return kTransferFailed;
    // Only an emptied clipboard takes the block; otherwise it keeps what it had.
    if (!m_services.clipboard.Empty()) return kTransferFailed;
    if (!m_services.clipboard.SetData(qlry::kCfDib, block.get())) return kTransferFailed;
    block.release();  // the clipboard owns it now
    alphaBlocks.HandTo(m_services.clipboard);
    return kTransferOk;
}

int CImageTransfer::PasteIntoFile(const std::wstring& path, int /*bAppend: an image replaces the file*/) {
    const uint32_t format = qlry::TargetImageFormat(path);
    if (format == CXIMAGE_FORMAT_UNKNOWN) return kTransferFailed;

    // The blocks stay the clipboard's; they are only read, and the
    // clipboard is closed before the file is written.
    CxImage image(CXIMAGE_FORMAT_UNKNOWN);
    if (!qlry::ReadClipboardImage(m_services.clipboard, m_services.memory, image)) return kTransferFailed;
    if (format == CXIMAGE_FORMAT_JPG || format == CXIMAGE_FORMAT_JP2 || format == CXIMAGE_FORMAT_JPC) {
        // The user's quality; TIFF's JPEG pages keep the library's own.
        const int stored = m_services.profile.GetInt(qlry::kSettingsSection, qlry::kQualityEntry, qlry::kDefaultQuality);
        image.SetJpegQuality(static_cast<uint8_t>(qlry::UsableQuality(stored)));
    }
    return image.Save(path, format, m_services.files) ? kTransferOk : kTransferFailed;
}

int CImageTransfer::PasteToNewFile(const std::wstring& folder) {
    qlry::NewFileName chosen;
    if (!m_services.dialogs || !m_services.dialogs->AskImageFileName(folder, chosen)) return kTransferFailed;
    return qlry::PasteAsNewFile(*this, folder, chosen);
}
