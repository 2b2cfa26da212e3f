// CxImage: construction, the block's lifecycle and whole-image transfers.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ximage/ximage.h"
#include "ximage/dib/ximage_bytes.h"
#include "ximage/toolkit/cx_allocation.h"

CxImage::CxImage(uint32_t imagetype) { StartUp(imagetype); }

CxImage::CxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype) {
    StartUp(imagetype);
    Create(width, height, bpp, imagetype);
}

CxImage::CxImage(const CxImage& source, bool copyPixels, bool copySelection, bool copyAlpha) {
    StartUp(source.GetType());
    Copy(source, copyPixels, copySelection, copyAlpha);
}

CxImage::~CxImage() { Destroy(); }

void CxImage::StartUp(uint32_t imagetype) {
    dib = nullptr;
    selection = nullptr;
    alpha = nullptr;
    layers = nullptr;
    head = CxBitmapInfoHeader{};
    info = CxImageInfo{};  // defaults: alphaMax 255, transIndex -1, quality 90
    info.format = imagetype;
    SetXDpi(96);
    SetYDpi(96);
}

uint64_t CxImage::RowBytesFor(uint64_t width, uint32_t depth) { return cximage::DibRowBytes(width, depth); }

uint8_t* CxImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype) {
    return CreateBlock(width, height, bpp, imagetype, true);
}

uint8_t* CxImage::CreateUncleared(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype) {
    return CreateBlock(width, height, bpp, imagetype, false);
}

uint8_t* CxImage::CreateBlock(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imagetype, bool clearRows) {
    if (!Destroy()) return nullptr;
    if (width == 0 || height == 0) {
        SetLastErrorText("CxImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    const uint32_t depth = bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : 24;
    // Pixels first: once width x height is under the cap, every product below fits in 64 bits.
    const uint64_t pixelCount = uint64_t{width} * height;
    if (pixelCount > CXIMAGE_MAX_MEMORY || RowBytesFor(width, depth) * height > CXIMAGE_MAX_MEMORY) {
        SetLastErrorText("CXIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }
    const uint32_t colors = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
    info.format = imagetype;
    info.rowBytes = static_cast<uint32_t>(RowBytesFor(width, depth));
    head.biSize = kCxInfoHeaderSize;
    head.biWidth = static_cast<int32_t>(width);
    head.biHeight = static_cast<int32_t>(height);
    head.biPlanes = 1;
    head.biBitCount = static_cast<uint16_t>(depth);
    head.biCompression = 0;
    head.biSizeImage = info.rowBytes * height;
    head.biClrUsed = colors;
    head.biClrImportant = 0;

    // Cleared: rows that a short or broken input never reaches must not carry
    // old heap contents into a file or onto the clipboard.
    // Left uncleared only for a caller that writes every row itself.
    if (clearRows) {
        dib = static_cast<uint8_t*>(cximage::AllocateZeroed(GetSize()));
    } else {
        dib = static_cast<uint8_t*>(cximage::Allocate(GetSize()));
        if (dib) std::memset(dib, 0, head.biSize + GetPaletteSize());
    }
    if (!dib) {
        SetLastErrorText("CxImage::Create can't allocate memory");
        return nullptr;
    }
    SelectionDelete();
    AlphaDelete();
    info.lastColorValid = false;
    cximage::StoreInfoHeader(dib, head);
    info.pixels = dib + head.biSize + GetPaletteSize();
    return dib;
}

bool CxImage::Destroy() {
    if (info.borrowedFrom) return false;
    if (layers) {
        for (int32_t i = 0; i < info.numLayers; ++i) delete layers[i];
        delete[] layers;
        layers = nullptr;
    }
    info.numLayers = 0;
    std::free(selection);
    std::free(alpha);
    std::free(dib);
    selection = nullptr;
    alpha = nullptr;
    dib = nullptr;
    info.pixels = nullptr;
    return true;
}

void CxImage::Copy(const CxImage& source, bool copyPixels, bool copySelection, bool copyAlpha) {
    if (&source == this || info.borrowedFrom) return;
    info = source.info;
    info.borrowedFrom = nullptr;
    info.numLayers = 0;  // layers are not copied
    // An empty source is copied like any other: Create refuses its zero size
    // with its own text, and the image ends empty.
    if (!Create(source.GetWidth(), source.GetHeight(), source.GetBpp(), source.GetType())) return;
    head.biXPelsPerMeter = source.head.biXPelsPerMeter;
    head.biYPelsPerMeter = source.head.biYPelsPerMeter;
    head.biClrImportant = source.head.biClrImportant;
    if (copyPixels && source.dib) {
        std::memcpy(dib, source.dib, GetSize());
    } else {
        SetPalette(source.GetPalette(), 256);
        cximage::StoreInfoHeader(dib, head);
    }
    const size_t planeBytes = size_t{GetWidth()} * GetHeight();
    if (copySelection && source.selection) {
        selection = static_cast<uint8_t*>(cximage::Allocate(planeBytes));
        if (selection) std::memcpy(selection, source.selection, planeBytes);
        info.selectionBox = source.info.selectionBox;
    }
    if (copyAlpha && source.alpha) {
        alpha = static_cast<uint8_t*>(cximage::Allocate(planeBytes));
        if (alpha) std::memcpy(alpha, source.alpha, planeBytes);
    }
}

bool CxImage::TakeOver(CxImage& source) {
    if (&source == this) return true;
    // A view owns nothing that could be taken over.
    if (source.info.borrowedFrom || !Destroy()) return false;
    head = source.head;
    info = source.info;
    dib = source.dib;
    selection = source.selection;
    alpha = source.alpha;
    layers = source.layers;
    source.head = CxBitmapInfoHeader{};
    std::memset(static_cast<void*>(&source.info), 0, sizeof(source.info));
    source.dib = nullptr;
    source.selection = nullptr;
    source.alpha = nullptr;
    source.layers = nullptr;
    return true;
}

void CxImage::BorrowFrom(CxImage* source) {
    if (!source || source == this) return;
    // Whatever this image owned must not leak behind the view.
    Destroy();
    head = source->head;
    info = source->info;
    dib = source->dib;
    selection = source->selection;
    alpha = source->alpha;
    layers = source->layers;
    info.borrowedFrom = source;
}

void CxImage::CopyOptions(const CxImage& source) {
    if (dib || &source == this) return;
    const uint32_t rowBytes = info.rowBytes;
    uint8_t* pixels = info.pixels;
    CxImage* borrowedFrom = info.borrowedFrom;
    const int32_t numLayers = info.numLayers;
    info = source.info;
    info.rowBytes = rowBytes;
    info.pixels = pixels;
    info.borrowedFrom = borrowedFrom;
    info.numLayers = numLayers;
}
