#include "transfer/clipboard_alpha_blocks.h"

#include <cstring>

#include "ximage/codecs/ximage_png.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_dibv5.h"

namespace qlry {

HGlobal EncodePngBlock(CxImage& image, GlobalMemory& memory) {
    // The block is written for speed: a paste reads it once, and the
    // clipboard holds the picture uncompressed beside it anyway.
    CxImagePNG png;
    png.BorrowFrom(&image);
    CxMemStream encoded;
    if (!encoded.Open(CxMemStream::Growth::Geometric) || !png.EncodeQuick(&encoded)) return nullptr;
    const auto size = static_cast<size_t>(encoded.Size());
    if (size == 0) return nullptr;
    UniqueGlobal block(memory, memory.Alloc(kGmemMoveable, size));
    if (!block) return nullptr;
    {
        GlobalLockGuard lock(memory, block.get());
        if (!lock) return nullptr;
        std::memcpy(lock.get(), encoded.GetBuffer(false), size);
    }
    return block.release();
}

ClipboardAlphaBlocks::ClipboardAlphaBlocks(CxImage& image, GlobalMemory& memory)
    : ClipboardAlphaBlocks(image, memory, cximage::HasTransparency(image)) {}

ClipboardAlphaBlocks::ClipboardAlphaBlocks(CxImage& image, GlobalMemory& memory, bool transparent)
    : m_png(memory, transparent ? EncodePngBlock(image, memory) : nullptr),
      m_dibV5(memory, transparent ? cximage::ExportDibV5Handle(image, memory) : nullptr),
      m_complete(!transparent || (m_png && m_dibV5)) {}

void ClipboardAlphaBlocks::HandTo(Clipboard& clipboard) {
    if (m_png) {
        const uint32_t png = clipboard.RegisterFormat(kPngFormatName);
        if (png != 0 && clipboard.SetData(png, m_png.get())) m_png.release();
    }
    if (m_dibV5 && clipboard.SetData(kCfDibV5, m_dibV5.get())) m_dibV5.release();
}

}  // namespace qlry
