#pragma once
// Shortcut files (.lnk) through IShellLinkW, with COM loaded on first use.
// The caller holds a ComScope.
#include <cstdint>
#include <string>

namespace qlry {

struct ShortcutFields {
    std::wstring target;
    std::wstring arguments;
    std::wstring workingFolder;
    std::wstring description;
    uint16_t hotKey = 0;  // IShellLink's form; 0 is none
};

// Creates or replaces the shortcut file; false when it could not be saved.
bool WriteShortcut(const std::wstring& linkPath, const ShortcutFields& shortcut);

// The hotkey a shortcut carries; false when the file cannot be read.
bool ReadShortcutHotKey(const std::wstring& linkPath, uint16_t& hotKey);

// Gives an existing shortcut another hotkey; false when it cannot be read or saved.
bool SetShortcutHotKey(const std::wstring& linkPath, uint16_t hotKey);

// A file in the current user's Start-menu Programs folder; empty when the
// folder is unknown.
std::wstring StartMenuEntryPath(const std::wstring& name);

}  // namespace qlry
