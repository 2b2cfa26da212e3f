#pragma once
// A rendering device that records what the metafile codec asks of it, can be
// made to refuse each step, counts what is handed out and not given back, and
// "plays" a metafile by painting the top-left quarter of the surface.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ximage/render/cx_render_device.h"
#include "ximage/dib/ximage_bytes.h"

namespace qlry::test {

class FakeRenderDevice : public CxRenderDevice {
public:
    // ---- settings ----------------------------------------------------------
    int32_t dpiX = 96;
    int32_t dpiY = 96;
    uint32_t bitsPerPixel = 32;
    bool refuseAnisotropic = false;  // ConvertWmf in MM_ANISOTROPIC gives nothing
    bool refuseWmf = false;          // ConvertWmf gives nothing at all
    bool refuseEmf = false;
    bool refuseHeader = false;
    bool refuseSurface = false;
    uint64_t maxSurfacePixels = UINT64_MAX;  // larger surfaces are refused
    uint32_t rowsRead = UINT32_MAX;  // ReadRows copies at most this many
    CxMetafileBounds emfBounds{0, 0, 100, 50};
    uint32_t paletteCount = 0;
    uint8_t window[3] = {0xF0, 0xE8, 0xE0};  // blue, green, red
    uint8_t ink[3] = {0x10, 0x20, 0x30};
    std::function<void()> onPlay;

    // ---- records -----------------------------------------------------------
    struct Conversion {
        int32_t mapMode;
        int32_t xExt;
        int32_t yExt;
        std::vector<uint8_t> bytes;
    };
    std::vector<Conversion> conversions;
    std::vector<uint8_t> emfBytes;
    int emfLoads = 0;
    uint32_t surfaceWidth = 0, surfaceHeight = 0;
    std::vector<uint8_t> logPalette;
    bool filled = false, played = false;
    int liveMetafiles = 0, liveSurfaces = 0;

    void ScreenResolution(int32_t& x, int32_t& y) override {
        x = dpiX;
        y = dpiY;
    }

    Handle ConvertWmf(const uint8_t* bytes, size_t size, int32_t mapMode, int32_t xExt, int32_t yExt) override {
        conversions.push_back({mapMode, xExt, yExt, std::vector<uint8_t>(bytes, bytes + size)});
        if (refuseWmf || (refuseAnisotropic && mapMode == kMapAnisotropic)) return 0;
        return NewMetafile();
    }
    Handle LoadEmf(const uint8_t* bytes, size_t size) override {
        ++emfLoads;
        emfBytes.assign(bytes, bytes + size);
        return refuseEmf ? 0 : NewMetafile();
    }
    bool EmfBounds(Handle, CxMetafileBounds& bounds) override {
        if (refuseHeader) return false;
        bounds = emfBounds;
        return true;
    }
    uint32_t PaletteEntries(Handle, uint32_t count, uint8_t* entries) override {
        if (!entries) return paletteCount;
        for (uint32_t i = 0; i < count && i < paletteCount; ++i) {
            entries[4 * i] = static_cast<uint8_t>(i);
            entries[4 * i + 1] = static_cast<uint8_t>(2 * i);
            entries[4 * i + 2] = static_cast<uint8_t>(3 * i);
            entries[4 * i + 3] = 0;
        }
        return count < paletteCount ? count : paletteCount;
    }
    void DeleteMetafile(Handle) override { --liveMetafiles; }

    Handle CreateSurface(uint32_t width, uint32_t height, uint32_t& bpp) override {
        if (refuseSurface || uint64_t{width} * height > maxSurfacePixels) return 0;
        surfaceWidth = width;
        surfaceHeight = height;
        pixels.assign(size_t{width} * height, 0);  // 0 undrawn, 1 window, 2 ink; top row first
        bpp = bitsPerPixel;
        ++liveSurfaces;
        return 0x5000;
    }
    void FillWithWindowColour(Handle, uint32_t width, uint32_t height) override {
        filled = width == surfaceWidth && height == surfaceHeight;
        for (uint8_t& p : pixels) p = 1;
    }
    void UsePalette(Handle, const uint8_t* block) override {
        const uint32_t count = cximage::LoadU16(block + 2);
        logPalette.assign(block, block + 4 + 4 * size_t{count});
    }
    void Play(Handle, Handle, uint32_t width, uint32_t height) override {
        played = true;
        for (uint32_t y = 0; y < height / 2; ++y)
            for (uint32_t x = 0; x < width / 2; ++x) pixels[size_t{y} * width + x] = 2;
        if (onPlay) onPlay();
    }
    uint32_t ReadRows(Handle, uint32_t rows, uint8_t* info, uint8_t* bits) override {
        const CxBitmapInfoHeader h = cximage::LoadInfoHeader(info);
        const uint32_t width = static_cast<uint32_t>(h.biWidth);
        if (width != surfaceWidth || rows != surfaceHeight) return 0;
        const uint32_t count = rows < rowsRead ? rows : rowsRead;
        const size_t stride = cximage::DibRowBytes(width, h.biBitCount);
        if (h.biBitCount == 8) {
            for (int i = 0; i < 3; ++i) {
                info[40 + 4 + i] = window[i];
                info[40 + 8 + i] = ink[i];
            }
        } else if (h.biBitCount != 24) {
            return 0;
        }
        for (uint32_t row = 0; row < count; ++row) {
            const uint8_t* source = &pixels[size_t{surfaceHeight - 1 - row} * width];  // rows come bottom-up
            uint8_t* out = bits + row * stride;
            for (uint32_t x = 0; x < width; ++x) {
                if (h.biBitCount == 8) {
                    out[x] = source[x];
                } else {
                    const uint8_t* c = source[x] == 2 ? ink : source[x] == 1 ? window : nullptr;
                    for (int i = 0; i < 3; ++i) out[3 * x + i] = c ? c[i] : 0;
                }
            }
        }
        return count;
    }
    void ReleaseSurface(Handle) override { --liveSurfaces; }

private:
    Handle NewMetafile() {
        ++liveMetafiles;
        return 0x1000 + static_cast<Handle>(emfLoads + conversions.size());
    }
    std::vector<uint8_t> pixels;
};

}  // namespace qlry::test
