#include "app/clipboard_kind.h"

#include "common/clipboard_probe.h"

ContentKind GetClipboardKind(qlry::Clipboard& clipboard) {
    qlry::ClipboardGuard open(clipboard);
    if (!open) return KindNone;
    return qlry::ProbeOpenClipboard(clipboard);
}
