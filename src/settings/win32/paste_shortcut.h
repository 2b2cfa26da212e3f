#pragma once
// The setup's "Paste Clipboard as New File" Start-menu entry carries the
// hotkey of the settings: a changed hotkey goes to it.
#include <cstdint>

namespace qlry {

// Gives the "Paste Clipboard as New File" entry the hotkey, when the entry
// exists (the setup made it); false when it exists and could not be changed.
bool UpdatePasteShortcutHotKey(uint16_t hotKey);

}  // namespace qlry
