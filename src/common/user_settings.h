#pragma once
// The per-user settings that both deliverables and the setup read, below
// HKEY_CURRENT_USER\Software\Varnel\Quillory\Settings, and the two Start-menu
// entries the setup makes for them. Header only, like the rest of common/.
#include <cstdint>

namespace qlry {

// The profile's section (the program reaches it through its profile) and the
// same key spelt out for the extension and the setup, which read it directly.
inline constexpr wchar_t kSettingsSection[] = L"Settings";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Varnel\\Quillory\\Settings";

// DWORD: 1 (the default) lets "Paste ... as File" ask for the name and Shift
// paste at once; 0 turns this around.
inline constexpr wchar_t kAskForNameEntry[] = L"AskForName";
inline constexpr int kDefaultAskForName = 1;

// DWORD 1-100: the quality of a paste that writes JPEG or JPEG-2000.
inline constexpr wchar_t kQualityEntry[] = L"Quality";
inline constexpr int kDefaultQuality = 90;
inline constexpr int kMinQuality = 1;
inline constexpr int kMaxQuality = 100;

// DWORD in IShellLink's hotkey form: the virtual key in the low byte, the
// modifiers in the next (HOTKEYF_SHIFT 1, CONTROL 2, ALT 4, EXT 8); 0 is none.
inline constexpr wchar_t kHotKeyEntry[] = L"HotKey";
inline constexpr uint16_t kHotKeyShift = 0x01;
inline constexpr uint16_t kHotKeyControl = 0x02;
inline constexpr uint16_t kHotKeyAlt = 0x04;
inline constexpr uint16_t kHotKeyExtended = 0x08;
inline constexpr uint16_t MakeHotKey(uint16_t modifiers, uint16_t virtualKey) {
    return static_cast<uint16_t>(modifiers << 8 | (virtualKey & 0xFF));
}
inline constexpr uint16_t kDefaultHotKey = MakeHotKey(kHotKeyControl | kHotKeyAlt, 'V');  // Ctrl+Alt+V

// The quality a stored value stands for: out of range gives the default.
inline constexpr int UsableQuality(int stored) {
    return stored >= kMinQuality && stored <= kMaxQuality ? stored : kDefaultQuality;
}

// A hotkey Windows can hold for a shortcut: none at all, or a key together
// with Ctrl or Alt (a bare key would be taken from every program).
inline constexpr bool IsUsableHotKey(uint32_t hotKey) {
    if (hotKey == 0) return true;
    const uint32_t modifiers = hotKey >> 8;
    return hotKey <= 0xFFFF && (hotKey & 0xFF) != 0 && modifiers <= 0x0F &&
           (modifiers & (kHotKeyControl | kHotKeyAlt)) != 0;
}

// The Start-menu entries, in the user's Programs folder.
inline constexpr wchar_t kSettingsShortcutName[] = L"Quillory Settings.lnk";
inline constexpr wchar_t kSettingsShortcutArguments[] = L"/settings";
inline constexpr wchar_t kSettingsShortcutDescription[] =
    L"How Quillory names pasted files, the quality of pasted JPEG pictures, and the keyboard shortcut.";
inline constexpr wchar_t kPasteShortcutName[] = L"Paste Clipboard as New File.lnk";
// Paste, as a new file, at once, into the folder of the active Explorer window.
inline constexpr wchar_t kPasteShortcutArguments[] = L"-p /n /q /e";
inline constexpr wchar_t kPasteShortcutDescription[] =
    L"Pastes the clipboard as a new file into the folder of the active Explorer window, or onto the desktop.";

}  // namespace qlry
