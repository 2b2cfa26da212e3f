#pragma once
// What an open clipboard holds, decided in one place for both deliverables:
// the main program's GetClipboardKind and the Explorer extension's menu.
// Header only, because the extension links nothing of the main program.
#include "common/content_kind.h"
#include "platform/clipboard.h"

namespace qlry {

// Unicode text wins over an image. CF_UNICODETEXT and CF_DIB are asked for
// with GetClipboardData, so formats that the system converts into them count.
// A "PNG" alone (some programs offer no bitmap beside it) counts as an image
// too, since the paste reads it first; it is only asked about, never
// fetched: fetching would make the offering program render a delayed PNG
// while Explorer waits for its menu. Registering the name is an atom lookup,
// no file or registry read.
inline ContentKind ProbeOpenClipboard(Clipboard& clipboard) noexcept {
    if (clipboard.GetData(kCfUnicodeText)) return KindText;
    if (clipboard.GetData(kCfDib)) return KindImage;
    const uint32_t png = clipboard.RegisterFormat(kPngFormatName);
    if (png != 0 && clipboard.IsFormatAvailable(png)) return KindImage;
    return KindNone;
}

}  // namespace qlry
