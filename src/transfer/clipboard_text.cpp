#include "transfer/clipboard_text.h"

#include <cstdint>
#include <cstring>

namespace {

// The block holds UTF-16 code units whatever the width of wchar_t here.
void CopyUnits(uint16_t* to, const wchar_t* from, size_t count) {
    if constexpr (sizeof(wchar_t) == sizeof(uint16_t)) {
        std::memcpy(to, from, count * sizeof(uint16_t));
    } else {
        for (size_t i = 0; i < count; ++i) to[i] = static_cast<uint16_t>(from[i]);
    }
}

}  // namespace

bool GetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, std::wstring& text) {
    qlry::ClipboardGuard open(clipboard);
    if (!open) return false;
    qlry::HGlobal block = clipboard.GetData(qlry::kCfUnicodeText);
    if (!block) return false;
    qlry::GlobalLockGuard lock(memory, block);
    if (!lock) return false;
    // The block's size bounds the search for the NUL: a block without one
    // is read to its end and no further.
    const size_t units = memory.Size(block) / sizeof(uint16_t);
    const auto* data = static_cast<const uint16_t*>(lock.get());
    size_t length = 0;
    while (length < units && data[length] != 0) ++length;
    text.assign(data, data + length);
    return true;
}

bool SetClipboardText(qlry::Clipboard& clipboard, qlry::GlobalMemory& memory, qlry::WaitCursor& cursor,
                      const wchar_t* text, size_t length) {
    if (!text || length == 0) return false;
    qlry::WaitCursorScope wait(cursor);
    qlry::ClipboardGuard open(clipboard);
    if (!open) return false;
    clipboard.Empty();
    if (length > (SIZE_MAX / sizeof(uint16_t)) - 1) return false;
    qlry::UniqueGlobal block(memory, memory.Alloc(qlry::kGmemMoveable | qlry::kGmemDdeShare,
                                                  (length + 1) * sizeof(uint16_t)));
    if (!block) return false;
    {
        qlry::GlobalLockGuard lock(memory, block.get());
        if (!lock) return false;
        auto* units = static_cast<uint16_t*>(lock.get());
        CopyUnits(units, text, length);
        units[length] = 0;
    }
    if (!clipboard.SetData(qlry::kCfUnicodeText, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}
