#pragma once
// The decisions of the context-menu handler, over the platform ports: which
// entries a menu gets, the help text of each, and the command line that
// starts Quillory.exe. CMyContextMenu (com/) forwards Explorer's calls here.
// Initialize and QueryContextMenu only probe the clipboard and ask whether
// the path is a folder: no file or registry reads while Explorer waits.
#include <cstddef>
#include <cstdint>

#include "platform/clipboard.h"
#include "platform/menu.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "shellext/app_path.h"
#include "shellext/hresult.h"
#include "shellext/menu_texts.h"

namespace qlry {

struct ShellExtPorts {
    Clipboard& clipboard;
    Shell& shell;
    Menu& menu;
    Registry& registry;
};

inline constexpr uint32_t kCmfDefaultOnly = 0x1;
inline constexpr uint32_t kGcsHelpTextA = 1;
inline constexpr uint32_t kGcsValidateA = 2;
inline constexpr uint32_t kGcsHelpTextW = 5;
inline constexpr uint32_t kGcsValidateW = 6;
inline constexpr uint32_t kCmicMaskShiftDown = 0x10000000;
inline constexpr size_t kMaxCommands = 3;

class CContextMenuLogic {
public:
    explicit CContextMenuLogic(const ShellExtPorts& ports) : m_ports(ports) {}

    // Explorer's calls; parameters as IShellExtInit / IContextMenu name them.
    HResult Initialize(ItemIdList pidlFolder, DataObject pdtobj) noexcept;
    HResult QueryContextMenu(HMenu hmenu, uint32_t indexMenu, uint32_t idCmdFirst, uint32_t idCmdLast,
                             uint32_t uFlags) noexcept;
    // pszName is a wide buffer for the W requests, cchMax counting its characters.
    HResult GetCommandString(uintptr_t idCmd, uint32_t uType, char* pszName, uint32_t cchMax) noexcept;
    // `verb` is CMINVOKECOMMANDINFO::lpVerb as an integer, `fMask` its mask
    // (CMIC_MASK_SHIFT_DOWN: Shift was held while the entry was chosen).
    HResult InvokeCommand(uintptr_t verb, uint32_t fMask = 0) noexcept;

    int32_t GetClipboardKind() noexcept;
    bool GetAppPath(wchar_t (&path)[kPathChars]) noexcept;
    int LaunchCopy(const wchar_t* path) noexcept;
    // `quick` adds the switch that names a new file at once.
    int LaunchPaste(const wchar_t* path, bool append, bool newFile, bool quick = false) noexcept;

    int32_t ClipboardKind() const { return m_nClipboardKind; }
    const wchar_t* Path() const { return m_szPath; }
    uint32_t CommandCount() const { return m_nCmdCount; }
    int32_t CommandKindAt(size_t offset) const { return offset < kMaxCommands ? m_nCmdKind[offset] : -1; }

private:
    void InsertEntry(HMenu hmenu, uint32_t position, uint32_t idCmdFirst, CommandKind kind, const wchar_t* text);

    ShellExtPorts m_ports;
    int32_t m_nClipboardKind = 0;
    wchar_t m_szPath[kPathChars] = {};
    int32_t m_nCmdKind[kMaxCommands] = {};
    uint32_t m_nCmdCount = 0;
};

}  // namespace qlry
