#pragma once
// Unicode text on the clipboard (CF_UNICODETEXT).
#include <functional>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/ui.h"

// Calls `use` with the clipboard's text (up to its first NUL) while the
// clipboard is open, so that a large text need not be copied first; false
// when there is no text.
bool ReadClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory,
                       const std::function<void(std::u16string_view)>& use);

// True when clipboard text was copied into `text` (up to its first NUL).
bool GetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, std::u16string& text);

// True when the clipboard now holds `text`. A missing or empty text leaves
// the clipboard untouched.
bool SetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, qlry::WaitCursor& cursor,
                      const char16_t* text, size_t length);
