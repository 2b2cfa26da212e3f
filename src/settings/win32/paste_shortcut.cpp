#include "settings/win32/paste_shortcut.h"

#include <windows.h>

#include "common/user_settings.h"
#include "platform/win32/lazy_com.h"
#include "platform/win32/shell_link.h"

namespace qlry {

bool UpdatePasteShortcutHotKey(uint16_t hotKey) {
    ComScope com;
    if (!com.Usable()) return false;
    const std::wstring link = StartMenuEntryPath(kPasteShortcutName);
    if (link.empty() || ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return SetShortcutHotKey(link, hotKey);
}

}  // namespace qlry
