#pragma once
#include "common/content_kind.h"
#include "platform/clipboard.h"

// What the clipboard holds; text wins over an image (a bitmap, or a "PNG"
// alone). KindNone when the clipboard cannot be opened.
ContentKind GetClipboardKind(qlry::Clipboard& clipboard);
