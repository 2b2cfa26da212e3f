#pragma once
// The clipboard's picture, read from the richest form it offers.
#include "platform/clipboard.h"
#include "platform/global_memory.h"

class CxImage;

namespace qlry {

// Rebuilds the clipboard's picture into image: a "PNG" first (decoded with
// its alpha), else CF_DIBV5, else CF_DIB (a 32-bit block whose alpha bytes
// are not all zero keeps its alpha either way). A "PNG" that cannot be
// decoded falls back to the bitmap formats. The clipboard is open only while
// blocks are read; the PNG's bytes are copied out and decoded after it is
// closed. False when there is nothing usable: the image is then empty.
bool ReadClipboardImage(Clipboard& clipboard, GlobalMemory& memory, CxImage& image);

}  // namespace qlry
