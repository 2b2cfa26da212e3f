#include "app/clipboard_kind.h"

ContentKind GetClipboardKind(qlry::Clipboard& clipboard) {
    qlry::ClipboardGuard open(clipboard);
    if (!open) return KindNone;
    // GetClipboardData, not a format query: formats the system converts into
    // these two on request count as present.
    if (clipboard.GetData(qlry::kCfUnicodeText)) return KindText;
    if (clipboard.GetData(qlry::kCfDib)) return KindImage;
    return KindNone;
}
