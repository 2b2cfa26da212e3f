#pragma once
// Unicode text on the clipboard (CF_UNICODETEXT).
#include <string>

#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/ui.h"

// True when clipboard text was copied into `text` (up to its first NUL).
bool GetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, std::u16string& text);

// True when the clipboard now holds `text`. A missing or empty text leaves
// the clipboard untouched.
bool SetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, qlry::WaitCursor& cursor,
                      const char16_t* text, size_t length);
