#pragma once
// The clipboard formats that keep a picture's transparency beside CF_DIB:
// the registered "PNG" (the picture as our PNG codec writes it, alpha
// included) and CF_DIBV5 (32 bits, straight alpha). The programs people
// paste into read one or the other; CF_DIB stays as it always was.
#include "platform/clipboard.h"
#include "platform/global_memory.h"

class CxImage;

namespace qlry {

// The picture encoded as a PNG file in a new movable global block, owned by
// the caller; null when it cannot be encoded or allocated.
HGlobal EncodePngBlock(CxImage& image, GlobalMemory& memory);

// Made before the clipboard is opened, so that the encoding never holds it.
class ClipboardAlphaBlocks {
public:
    // Both blocks for a picture with transparency; none for an opaque one.
    ClipboardAlphaBlocks(CxImage& image, GlobalMemory& memory);
    ClipboardAlphaBlocks(const ClipboardAlphaBlocks&) = delete;
    ClipboardAlphaBlocks& operator=(const ClipboardAlphaBlocks&) = delete;

    // False when the picture has transparency and a block could not be made:
    // the copy then fails rather than pass an opaque picture for it.
    bool Complete() const { return m_complete; }

    // In the opening that took CF_DIB, after it: "PNG", then CF_DIBV5. The
    // clipboard owns what it accepts; a refused block is freed, and the copy
    // still stands on CF_DIB.
    void HandTo(Clipboard& clipboard);

private:
    ClipboardAlphaBlocks(CxImage& image, GlobalMemory& memory, bool transparent);

    UniqueGlobal m_png;
    UniqueGlobal m_dibV5;
    bool m_complete;
};

}  // namespace qlry
