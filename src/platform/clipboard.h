#pragma once
// The system clipboard, shaped after OpenClipboard / EmptyClipboard /
// GetClipboardData / SetClipboardData / CloseClipboard.
#include <cstdint>

#include "platform/global_memory.h"

namespace qlry {

inline constexpr uint32_t kCfDib = 8;
inline constexpr uint32_t kCfUnicodeText = 13;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool Open() = 0;  // with no owner window
    virtual bool Empty() = 0;
    virtual HGlobal GetData(uint32_t format) = 0;                // null when absent
    virtual HGlobal SetData(uint32_t format, HGlobal block) = 0;  // null when refused
    virtual bool Close() = 0;
};

// Opens the clipboard for one scope; closes it only if opening succeeded.
class ClipboardGuard {
public:
    explicit ClipboardGuard(Clipboard& clipboard) : m_clipboard(clipboard), m_open(clipboard.Open()) {}
    ~ClipboardGuard() { if (m_open) m_clipboard.Close(); }
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;

    explicit operator bool() const { return m_open; }

private:
    Clipboard& m_clipboard;
    bool m_open;
};

}  // namespace qlry
