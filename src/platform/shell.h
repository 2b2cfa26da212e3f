#pragma once
// The shell calls of a context-menu handler: the selection's dropped-file
// list (IDataObject::GetData with CF_HDROP, DragQueryFileW, ReleaseStgMedium),
// SHGetPathFromIDListW, PathIsDirectoryW, PathFileExistsW and ShellExecuteW.
// Paths are plain terminated buffers, as the menu handler keeps them.
#include <cstdint>
#include <memory>

namespace qlry {

inline constexpr uint32_t kMaxPath = 260;
inline constexpr uint32_t kCfHdrop = 15;
inline constexpr int kSwShow = 5;

using ItemIdList = const void*;  // PCIDLIST_ABSOLUTE
using DataObject = void*;        // IDataObject*

// A CF_HDROP list; its storage medium is released when the list is destroyed.
class DropList {
public:
    virtual ~DropList() = default;
    // DragQueryFileW: with index 0xFFFFFFFF the number of names; otherwise
    // copies name `index` (cut to cch - 1 characters) and returns its length.
    virtual uint32_t QueryFile(uint32_t index, wchar_t* buffer, uint32_t cch) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Null when the data object has no CF_HDROP in global memory.
    virtual std::unique_ptr<DropList> GetDropList(DataObject dataObject) = 0;
    // False for folders that have no file-system path.
    virtual bool GetPathFromIdList(ItemIdList idList, wchar_t (&path)[kMaxPath]) = 0;
    virtual bool PathIsDirectory(const wchar_t* path) = 0;  // existing folder or drive root
    virtual bool PathFileExists(const wchar_t* path) = 0;   // existing file or folder
    // ShellExecuteW: no owner window, default verb, no working folder, SW_SHOW.
    // The result is the shell's instance value (above 32 on success).
    virtual intptr_t Execute(const wchar_t* file, const wchar_t* parameters) = 0;
};

Shell& SystemShell();

}  // namespace qlry
