#include "shellext/context_menu_logic.h"

#include <cstring>
#include <cwchar>

#include "common/clipboard_probe.h"
#include "common/content_kind.h"
#include "shellext/ask_for_name.h"
#include "shellext/fixed_text.h"
#include "shellext/launch_parameters.h"

namespace qlry {

namespace {

constexpr uint32_t kDropListCount = 0xFFFFFFFF;

// The help texts are plain ASCII, which every ANSI code page spells the same.
void NarrowAscii(const wchar_t* text, char* out, size_t capacity) {
    size_t n = 0;
    for (; n + 1 < capacity && text[n] != 0; ++n)
        out[n] = static_cast<uint32_t>(text[n]) < 0x80 ? static_cast<char>(text[n]) : '?';
    out[n] = 0;
}

}  // namespace

int32_t CContextMenuLogic::GetClipboardKind() noexcept {
    ClipboardGuard open(m_ports.clipboard);
    if (!open) return KindNone;
    // The same decision as the main program's, which runs when a paste is chosen.
    return ProbeOpenClipboard(m_ports.clipboard);
}

HResult CContextMenuLogic::Initialize(ItemIdList pidlFolder, DataObject pdtobj) noexcept {
    m_nClipboardKind = GetClipboardKind();

    if (!pidlFolder || pdtobj) {
        // A selection: the data object wins over a folder id.
        if (!pdtobj) return kEInvalidArg;
        auto drop = m_ports.shell.GetDropList(pdtobj);
        if (!drop) return kEInvalidArg;
        if (drop->QueryFile(kDropListCount, nullptr, 0) > 0) {
            // A multiple selection acts on its first item only.
            drop->QueryFile(0, m_szPath, kPathChars);
            m_szPath[kPathChars - 1] = 0;
        }
        return kSOk;
    }

    // A folder background: nothing to offer without clipboard content.
    if (m_nClipboardKind == KindNone) return kEInvalidArg;
    wchar_t folder[kMaxPath] = {};
    if (!m_ports.shell.GetPathFromIdList(pidlFolder, folder)) return kEInvalidArg;
    folder[kMaxPath - 1] = 0;
    CopyCut(m_szPath, kPathChars, folder);
    return kSOk;
}

void CContextMenuLogic::InsertEntry(HMenu hmenu, uint32_t position, uint32_t idCmdFirst, CommandKind kind,
                                    const wchar_t* text) {
    m_ports.menu.InsertMenu(hmenu, position, kMfByPosition | kMfString, idCmdFirst + m_nCmdCount, text);
    m_nCmdKind[m_nCmdCount++] = kind;
}

HResult CContextMenuLogic::QueryContextMenu(HMenu hmenu, uint32_t indexMenu, uint32_t idCmdFirst,
                                            uint32_t /*idCmdLast: three ids at most are ever used*/,
                                            uint32_t uFlags) noexcept {
    if (uFlags & kCmfDefaultOnly) return kSOk;

    m_nCmdCount = 0;
    const bool isDirectory = m_ports.shell.PathIsDirectory(m_szPath);

    if (!isDirectory) InsertEntry(hmenu, indexMenu + m_nCmdCount, idCmdFirst, CopyContents, kTextCopyContents);
    if (m_nClipboardKind == KindNone) return static_cast<HResult>(m_nCmdCount);

    if (isDirectory) {
        InsertEntry(hmenu, indexMenu + m_nCmdCount, idCmdFirst, PasteAsNewFile,
                    m_nClipboardKind == KindImage ? kTextPasteImageAsFile : kTextPasteTextAsFile);
    } else if (m_nClipboardKind == KindText) {
        // Without a popup there is no place for the two text entries.
        HMenu popup = m_ports.menu.CreatePopupMenu();
        if (popup) {
            InsertEntry(popup, kMenuAppend, idCmdFirst, PasteOverwrite, kTextOverwrite);
            InsertEntry(popup, kMenuAppend, idCmdFirst, PasteAppend, kTextAppend);
            // At indexMenu itself: the popup stands above the copy entry.
            m_ports.menu.InsertMenu(hmenu, indexMenu, kMfByPosition | kMfPopup, reinterpret_cast<uintptr_t>(popup),
                                    kTextPasteTextPopup);
        }
    } else {
        // Images are offered overwrite only.
        InsertEntry(hmenu, indexMenu + m_nCmdCount, idCmdFirst, PasteOverwrite, kTextPasteImage);
    }
    return static_cast<HResult>(m_nCmdCount);
}

HResult CContextMenuLogic::GetCommandString(uintptr_t idCmd, uint32_t uType, char* pszName,
                                            uint32_t cchMax) noexcept {
    if (idCmd >= m_nCmdCount) return kEInvalidArg;

    switch (uType) {
    case kGcsHelpTextW:
    case kGcsHelpTextA: {
        if (!pszName || cchMax == 0) return kEInvalidArg;
        wchar_t text[kPathChars];
        CopyCut(text, kPathChars, HelpText(static_cast<CommandKind>(m_nCmdKind[idCmd]), m_nClipboardKind));
        if (uType == kGcsHelpTextW) {
            auto* out = reinterpret_cast<wchar_t*>(pszName);
            wcsncpy(out, text, cchMax);
            out[cchMax - 1] = 0;
        } else {
            char narrow[kPathChars];
            NarrowAscii(text, narrow, kPathChars);
            strncpy(pszName, narrow, cchMax);
            pszName[cchMax - 1] = 0;
        }
        return kSOk;
    }
    case kGcsValidateA:
    case kGcsValidateW:
        return kSOk;
    default:
        // The commands have no language-independent verbs.
        return kEInvalidArg;
    }
}

HResult CContextMenuLogic::InvokeCommand(uintptr_t verb, uint32_t fMask) noexcept {
    if ((verb >> 16) != 0) return kEInvalidArg;  // a verb string, not an offset
    const uint32_t offset = static_cast<uint32_t>(verb & 0xFFFF);
    if (offset >= m_nCmdCount) return kEInvalidArg;

    switch (m_nCmdKind[offset]) {
    case CopyContents: LaunchCopy(m_szPath); break;
    case PasteOverwrite: LaunchPaste(m_szPath, false, false); break;
    case PasteAppend: LaunchPaste(m_szPath, true, false); break;
    case PasteAsNewFile:
        // The setting is read here, when the entry is chosen: the menu itself
        // reads no registry.
        LaunchPaste(m_szPath, false, true,
                    PastesAtOnce(ReadAskForName(m_ports.registry), (fMask & kCmicMaskShiftDown) != 0));
        break;
    default: break;
    }
    m_szPath[0] = 0;
    return kSOk;
}

bool CContextMenuLogic::GetAppPath(wchar_t (&path)[kPathChars]) noexcept {
    return ReadAppPath(m_ports.registry, m_ports.shell, path);
}

int CContextMenuLogic::LaunchCopy(const wchar_t* path) noexcept {
    wchar_t app[kPathChars];
    if (!GetAppPath(app)) return -1;
    wchar_t params[kParamChars];
    if (!FormatCopyParameters(path, params)) return -1;
    m_ports.shell.Execute(app, params);
    return 0;
}

int CContextMenuLogic::LaunchPaste(const wchar_t* path, bool append, bool newFile, bool quick) noexcept {
    wchar_t app[kPathChars];
    if (!GetAppPath(app)) return -1;
    wchar_t params[kParamChars];
    if (!FormatPasteParameters(path, append, newFile, params, quick)) return -1;
    m_ports.shell.Execute(app, params);
    return 0;
}

}  // namespace qlry
