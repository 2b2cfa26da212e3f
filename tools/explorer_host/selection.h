#pragma once
// What Explorer hands to IShellExtInit::Initialize: for selected items a
// CF_HDROP data object from their folder, for a background click the
// folder's id list.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

class Selection {
public:
    Selection() = default;
    ~Selection();
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    // Items of one folder (SHParseDisplayName, SHBindToParent, GetUIObjectOf).
    HRESULT SelectItems(const std::vector<std::wstring>& paths);
    // The background of a folder window.
    HRESULT SelectBackground(const std::wstring& folder);

    HRESULT InitializeHandler(IShellExtInit* init) const;

private:
    void Clear();

    PIDLIST_ABSOLUTE m_folderId = nullptr;
    IDataObject* m_dataObject = nullptr;
};
