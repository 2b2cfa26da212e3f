#pragma once
// The system clipboard, shaped after OpenClipboard / EmptyClipboard /
// GetClipboardData / SetClipboardData / CloseClipboard, with
// RegisterClipboardFormatW and IsClipboardFormatAvailable for the formats
// that other programs register.
#include <cstdint>

#include "platform/global_memory.h"

namespace qlry {

inline constexpr uint32_t kCfDib = 8;
inline constexpr uint32_t kCfUnicodeText = 13;
inline constexpr uint32_t kCfDibV5 = 17;
// The registered format in which browsers, office programs and image
// editors exchange a picture as the bytes of a PNG file, alpha included.
inline constexpr wchar_t kPngFormatName[] = L"PNG";

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool Open() = 0;  // with no owner window
    virtual bool Empty() = 0;
    virtual HGlobal GetData(uint32_t format) = 0;                // null when absent
    virtual HGlobal SetData(uint32_t format, HGlobal block) = 0;  // null when refused
    virtual bool Close() = 0;
    // The format number of a registered name (the same for every program), 0 on failure.
    virtual uint32_t RegisterFormat(const wchar_t* name) = 0;
    // Whether the clipboard offers a format, without opening it and without
    // asking the offering program to render delayed data.
    virtual bool IsFormatAvailable(uint32_t format) = 0;
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
