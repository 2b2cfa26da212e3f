#include "transfer/clipboard_image_reader.h"

#include <cstring>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace qlry {

namespace {

// Copies the bytes of the clipboard's "PNG" block, when it offers one.
bool CopyPngBytes(Clipboard& clipboard, GlobalMemory& memory, CxBuffer& bytes) {
    const uint32_t format = clipboard.RegisterFormat(kPngFormatName);
    if (format == 0) return false;
    const HGlobal block = clipboard.GetData(format);
    if (!block) return false;
    const size_t size = memory.Size(block);
    // CxMemStream counts in 32 bits; the memory cap keeps far below that.
    if (size == 0 || !bytes.Allocate(size)) return false;
    GlobalLockGuard lock(memory, block);
    if (!lock) return false;
    std::memcpy(bytes.data(), lock.get(), size);
    return true;
}

bool DecodePng(const CxBuffer& bytes, CxImage& image) {
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    return image.Decode(&stream, CXIMAGE_FORMAT_PNG);  // a failure leaves the image as it was
}

// The bitmap blocks, with the clipboard open: CF_DIBV5 first, since a CF_DIB
// that the system makes from it may have lost the alpha.
bool ImportBitmap(Clipboard& clipboard, GlobalMemory& memory, CxImage& image) {
    if (const HGlobal v5 = clipboard.GetData(kCfDibV5); v5 && image.ImportDibHandle(v5, memory)) return true;
    const HGlobal dib = clipboard.GetData(kCfDib);
    return dib && image.ImportDibHandle(dib, memory);
}

}  // namespace

bool ReadClipboardImage(Clipboard& clipboard, GlobalMemory& memory, CxImage& image) {
    CxBuffer png;
    {
        ClipboardGuard open(clipboard);
        if (!open) return false;
        if (!CopyPngBytes(clipboard, memory, png)) return ImportBitmap(clipboard, memory, image);
    }
    if (DecodePng(png, image)) return true;
    ClipboardGuard open(clipboard);
    return open && ImportBitmap(clipboard, memory, image);
}

}  // namespace qlry
