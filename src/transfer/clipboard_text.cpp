#include "transfer/clipboard_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

bool ReadClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory,
                       const std::function<void(std::u16string_view)>& use) {
    qlry::ClipboardGuard open(clipboard);
    if (!open) return false;
    qlry::HGlobal block = clipboard.GetData(qlry::kCfUnicodeText);
    if (!block) return false;
    qlry::GlobalLockGuard lock(memory, block);
    if (!lock) return false;
    // The block's size bounds the search for the NUL: a block without one
    // is read to its end and no further.
    const size_t units = memory.Size(block) / sizeof(char16_t);
    const auto* data = static_cast<const char16_t*>(lock.get());
    use(std::u16string_view(data, static_cast<size_t>(std::find(data, data + units, u'\0') - data)));
    return true;
}

bool GetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, std::u16string& text) {
    return ReadClipboardText(clipboard, memory, [&text](std::u16string_view found) { text.assign(found); });
}

bool SetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, qlry::WaitCursor& cursor,
                      const char16_t* text, size_t length) {
    if (!text || length == 0) return false;
    qlry::WaitCursorScope wait(cursor);
    qlry::ClipboardGuard open(clipboard);
    if (!open) return false;
    clipboard.Empty();
    if (length > SIZE_MAX / sizeof(char16_t) - 1) return false;
    const size_t bytes = (length + 1) * sizeof(char16_t);
    qlry::UniqueGlobal block(memory, memory.Alloc(qlry::kGmemMoveable | qlry::kGmemDdeShare, bytes));
    if (!block) return false;
    {
        qlry::GlobalLockGuard lock(memory, block.get());
        if (!lock) return false;
        std::memcpy(lock.get(), text, length * sizeof(char16_t));
        static_cast<char16_t*>(lock.get())[length] = 0;
    }
    if (!clipboard.SetData(qlry::kCfUnicodeText, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}
