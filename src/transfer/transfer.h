#pragma once
// The transfer handler: one operation per call, no state of its own.
#include <string>

class CTransfer {
public:
    virtual ~CTransfer() = default;
    // Puts the contents of the file at path on the clipboard.
    virtual int CopyToClipboard(const std::wstring& path) = 0;
    // Writes the clipboard's content into the file at path.
    virtual int PasteIntoFile(const std::wstring& path, int bAppend) = 0;
    // Asks for a new file name in folder, then pastes into that file.
    virtual int PasteToNewFile(const std::wstring& folder) = 0;
};

// Operation statuses; callers discard them, tests read them.
inline constexpr int kTransferOk = 0;
inline constexpr int kTransferFailed = -1;
