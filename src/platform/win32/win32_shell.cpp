#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <new>

#include "platform/shell.h"

namespace qlry {

namespace {

// Owns the storage medium of a CF_HDROP request.
class Win32DropList : public DropList {
public:
    explicit Win32DropList(const STGMEDIUM& medium) : m_medium(medium) {}
    ~Win32DropList() override { ::ReleaseStgMedium(&m_medium); }
    Win32DropList(const Win32DropList&) = delete;
    Win32DropList& operator=(const Win32DropList&) = delete;

    uint32_t QueryFile(uint32_t index, wchar_t* buffer, uint32_t cch) override {
        return ::DragQueryFileW(static_cast<HDROP>(m_medium.hGlobal), index, buffer, cch);
    }

private:
    STGMEDIUM m_medium;
};

// Whether DragQueryFileW can walk the CF_HDROP block without leaving it: a
// whole DROPFILES header, and from pFiles on a name list that ends inside the
// block with two zero characters (the last name's end and the empty name).
// Data objects come from any program; a block that leads elsewhere is
// refused rather than read.
bool IsWalkableDropList(HGLOBAL block) {
    const SIZE_T size = ::GlobalSize(block);
    if (size < sizeof(DROPFILES)) return false;
    const auto* bytes = static_cast<const BYTE*>(::GlobalLock(block));
    if (!bytes) return false;
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    const SIZE_T unit = header.fWide ? sizeof(WCHAR) : 1;
    bool walkable = false;
    bool previousWasZero = false;
    for (SIZE_T at = header.pFiles; at <= size - unit; at += unit) {
        WCHAR c = 0;
        std::memcpy(&c, bytes + at, unit);
        if (c == 0 && previousWasZero) {
            walkable = true;
            break;
        }
        previousWasZero = c == 0;
    }
    ::GlobalUnlock(block);
    return walkable;
}

class Win32Shell : public Shell {
public:
    std::unique_ptr<DropList> GetDropList(DataObject dataObject) override {
        auto* data = static_cast<IDataObject*>(dataObject);
        if (!data) return nullptr;
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium))) return nullptr;
        if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal || !IsWalkableDropList(medium.hGlobal)) {
            ::ReleaseStgMedium(&medium);
            return nullptr;
        }
        auto* list = new (std::nothrow) Win32DropList(medium);
        if (!list) ::ReleaseStgMedium(&medium);
        return std::unique_ptr<DropList>(list);
    }

    bool GetPathFromIdList(ItemIdList idList, wchar_t (&path)[kMaxPath]) override {
        path[0] = 0;
        return idList && ::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(idList), path) != FALSE;
    }

    bool PathIsDirectory(const wchar_t* path) override { return ::PathIsDirectoryW(path) != FALSE; }

    bool PathFileExists(const wchar_t* path) override { return ::PathFileExistsW(path) != FALSE; }

    intptr_t Execute(const wchar_t* file, const wchar_t* parameters) override {
        return reinterpret_cast<intptr_t>(::ShellExecuteW(nullptr, nullptr, file, parameters, nullptr, SW_SHOW));
    }
};

}  // namespace

Shell& SystemShell() {
    static Win32Shell shell;
    return shell;
}

}  // namespace qlry
