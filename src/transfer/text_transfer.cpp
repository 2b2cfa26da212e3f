#include "transfer/text_transfer.h"

#include <vector>

#include "platform/safe_write.h"
#include "transfer/clipboard_text.h"
#include "transfer/name_dialogs.h"
#include "transfer/text_codec.h"

namespace {

constexpr size_t kReadChunk = 1 << 16;

// Reads the whole file as text; false when it cannot be opened or read.
bool ReadFileText(qlry::FileSystem& files, const std::wstring& path, std::u16string& text) {
    auto file = files.Open(path, qlry::FileAccess::Read, qlry::FileShare::ReadWrite,
                           qlry::FileDisposition::OpenExisting);
    if (!file) return false;
    // Room for the whole text up front keeps a large file from being copied
    // again and again as the text grows.
    uint64_t size = 0;
    if (file->Size(size) && size < (uint64_t{1} << 40)) {
        text.reserve(static_cast<size_t>(size + size / 8) + 2 * kReadChunk + 16);
    }
    qlry::TextGatherer gatherer(text);
    std::vector<unsigned char> buffer(kReadChunk);
    for (;;) {
        size_t got = 0;
        if (!file->Read(buffer.data(), buffer.size(), got)) return false;
        if (got == 0 || !gatherer.Feed(buffer.data(), got)) break;
    }
    gatherer.Finish();
    return file->Close();
}

}  // namespace

int CTextTransfer::CopyToClipboard(const std::wstring& path) {
    std::u16string text;
    if (!ReadFileText(m_services.files, path, text) || text.empty()) return kTransferFailed;
    const bool copied =
        SetClipboardText(m_services.clipboard, m_services.memory, m_services.waitCursor, text.c_str(), text.size());
    return copied ? kTransferOk : kTransferFailed;
}

int CTextTransfer::PasteIntoFile(const std::wstring& path, int bAppend) {
    // The whole output is converted, straight from the clipboard's block,
    // before the file is opened: a failure up to here leaves the file as it
    // was, and the clipboard is closed again before the file is touched.
    std::vector<unsigned char> bytes;
    const bool found = ReadClipboardText(m_services.clipboard, m_services.memory, [&](std::u16string_view text) {
        if (bAppend) bytes = {'\r', '\n'};
        qlry::EncodeFileText(text, bytes);
    });
    if (!found) return kTransferFailed;

    // A replace is all or nothing and a failed append is cut back: the
    // user's file is never left half written.
    const bool written = bAppend ? qlry::AppendToFile(m_services.files, path, bytes.data(), bytes.size())
                                 : qlry::WriteWholeFile(m_services.files, path, bytes.data(), bytes.size());
    return written ? kTransferOk : kTransferFailed;
}

int CTextTransfer::PasteToNewFile(const std::wstring& folder) {
    qlry::NewFileName chosen;
    if (!m_services.dialogs || !m_services.dialogs->AskTextFileName(folder, chosen)) return kTransferFailed;
    return qlry::PasteAsNewFile(*this, folder, chosen);
}
