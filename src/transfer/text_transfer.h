#pragma once
// Text between files and the clipboard.
#include "transfer/transfer.h"
#include "transfer/transfer_services.h"

class CTextTransfer : public CTransfer {
public:
    explicit CTextTransfer(qlry::TransferServices& services) : m_services(services) {}

    int CopyToClipboard(const std::wstring& path) override;
    int PasteIntoFile(const std::wstring& path, int bAppend) override;
    int PasteToNewFile(const std::wstring& folder) override;

private:
    qlry::TransferServices& m_services;
};
