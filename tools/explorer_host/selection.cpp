#include "selection.h"

Selection::~Selection() { Clear(); }

void Selection::Clear() {
    if (m_dataObject) m_dataObject->Release();
    m_dataObject = nullptr;
    ::CoTaskMemFree(m_folderId);
    m_folderId = nullptr;
}

HRESULT Selection::SelectItems(const std::vector<std::wstring>& paths) {
    Clear();
    std::vector<PIDLIST_ABSOLUTE> ids;
    std::vector<PCUITEMID_CHILD> children;
    IShellFolder* parent = nullptr;
    HRESULT result = paths.empty() ? E_INVALIDARG : S_OK;
    for (const std::wstring& path : paths) {
        if (FAILED(result)) break;
        PIDLIST_ABSOLUTE id = nullptr;
        result = ::SHParseDisplayName(path.c_str(), nullptr, &id, 0, nullptr);
        if (FAILED(result)) break;
        ids.push_back(id);
        PCUITEMID_CHILD child = nullptr;
        IShellFolder* folder = nullptr;
        result = ::SHBindToParent(id, IID_IShellFolder, reinterpret_cast<void**>(&folder), &child);
        if (FAILED(result)) break;
        if (!parent) {
            parent = folder;
            // Explorer passes the folder of the selection as the id list.
            m_folderId = ILClone(id);
            ILRemoveLastID(m_folderId);
        } else {
            folder->Release();
        }
        children.push_back(child);
    }
    if (SUCCEEDED(result))
        result = parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                       nullptr, reinterpret_cast<void**>(&m_dataObject));
    if (parent) parent->Release();
    for (PIDLIST_ABSOLUTE id : ids) ::CoTaskMemFree(id);
    return result;
}

HRESULT Selection::SelectBackground(const std::wstring& folder) {
    Clear();
    return ::SHParseDisplayName(folder.c_str(), nullptr, &m_folderId, 0, nullptr);
}

HRESULT Selection::InitializeHandler(IShellExtInit* init) const {
    return init->Initialize(m_folderId, m_dataObject, nullptr);
}
