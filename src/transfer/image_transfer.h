#pragma once
// Images between files and the clipboard's bitmap block.
#include "transfer/transfer.h"
#include "transfer/transfer_services.h"

class CImageTransfer : public CTransfer {
public:
    explicit CImageTransfer(qlry::TransferServices& services) : m_services(services) {}

    int CopyToClipboard(const std::wstring& path) override;
    int PasteIntoFile(const std::wstring& path, int bAppend) override;
    int PasteToNewFile(const std::wstring& folder) override;

private:
    qlry::TransferServices& m_services;
};
