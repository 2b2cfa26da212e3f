// The rendering device over the Windows GDI: metafile playback into an
// off-screen bitmap of the screen's format.
#include <windows.h>

#include "ximage/render/cx_render_device.h"
#include "ximage/toolkit/cx_allocation.h"

namespace {

// The bitmap, its memory context and what was selected into it.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;  // set while the bitmap is selected
    HPALETTE palette = nullptr;
    HPALETTE previousPalette = nullptr;
};

Surface* AsSurface(CxRenderDevice::Handle handle) { return reinterpret_cast<Surface*>(handle); }
HENHMETAFILE AsMetafile(CxRenderDevice::Handle handle) { return reinterpret_cast<HENHMETAFILE>(handle); }
CxRenderDevice::Handle AsHandle(const void* p) { return reinterpret_cast<CxRenderDevice::Handle>(p); }

// A fault inside the system's metafile player (Wine's faults on some broken
// records) ends the process at once and quietly, while the playback runs:
// nothing has touched a file or the clipboard yet, and the system's error
// dialog must not appear. The exit is the program's ordinary one.
LONG WINAPI EndQuietly(EXCEPTION_POINTERS*) {
    ::TerminateProcess(::GetCurrentProcess(), 0);
    return EXCEPTION_EXECUTE_HANDLER;
}

class QuietPlayerFaults {
public:
    QuietPlayerFaults()
        : previousFilter_(::SetUnhandledExceptionFilter(EndQuietly)),
          previousMode_(::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX)) {}
    ~QuietPlayerFaults() {
        ::SetErrorMode(previousMode_);
        ::SetUnhandledExceptionFilter(previousFilter_);
    }
    QuietPlayerFaults(const QuietPlayerFaults&) = delete;
    QuietPlayerFaults& operator=(const QuietPlayerFaults&) = delete;

private:
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter_;
    UINT previousMode_;
};

// The screen's device context for one step, released on scope exit.
class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ::ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

void DeselectBitmap(Surface* s) {
    if (!s->previousBitmap) return;
    ::SelectObject(s->dc, s->previousBitmap);
    s->previousBitmap = nullptr;
}

class GdiRenderDevice final : public CxRenderDevice {
public:
    void ScreenResolution(int32_t& dpiX, int32_t& dpiY) override {
        ScreenDc screen;
        dpiX = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
        dpiY = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    }

    Handle ConvertWmf(const uint8_t* bytes, size_t size, int32_t mapMode, int32_t xExt, int32_t yExt) override {
        if (size > UINT_MAX) return 0;
        ScreenDc screen;
        METAFILEPICT picture{};
        picture.mm = mapMode;
        picture.xExt = xExt;
        picture.yExt = yExt;
        return AsHandle(::SetWinMetaFileBits(static_cast<UINT>(size), bytes, screen.get(), &picture));
    }

    Handle LoadEmf(const uint8_t* bytes, size_t size) override {
        if (size > UINT_MAX) return 0;
        return AsHandle(::SetEnhMetaFileBits(static_cast<UINT>(size), bytes));
    }

    bool EmfBounds(Handle metafile, CxMetafileBounds& bounds) override {
        ENHMETAHEADER header{};
        if (::GetEnhMetaFileHeader(AsMetafile(metafile), sizeof(header), &header) == 0) return false;
        bounds = CxMetafileBounds{header.rclBounds.left, header.rclBounds.top, header.rclBounds.right,
                                  header.rclBounds.bottom};
        return true;
    }

    uint32_t PaletteEntries(Handle metafile, uint32_t count, uint8_t* entries) override {
        const UINT got =
            ::GetEnhMetaFilePaletteEntries(AsMetafile(metafile), count, reinterpret_cast<PALETTEENTRY*>(entries));
        return got == GDI_ERROR ? 0 : got;
    }

    void DeleteMetafile(Handle metafile) override { ::DeleteEnhMetaFile(AsMetafile(metafile)); }

    Handle CreateSurface(uint32_t width, uint32_t height, uint32_t& bitsPerPixel) override {
        if (width > INT_MAX || height > INT_MAX) return 0;
        Surface* s = cximage::NewObject<Surface>();
        if (!s) return 0;
        {
            ScreenDc screen;
            if (screen.get()) {
                s->bitmap = ::CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height));
                s->dc = ::CreateCompatibleDC(screen.get());
            }
        }
        if (!s->bitmap || !s->dc) {
            Release(s);
            return 0;
        }
        bitsPerPixel = static_cast<uint32_t>(::GetDeviceCaps(s->dc, BITSPIXEL));
        s->previousBitmap = ::SelectObject(s->dc, s->bitmap);
        return AsHandle(s);
    }

    void FillWithWindowColour(Handle surface, uint32_t width, uint32_t height) override {
        Surface* s = AsSurface(surface);
        const COLORREF previous = ::SetBkColor(s->dc, ::GetSysColor(COLOR_WINDOW));
        const RECT all{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        ::ExtTextOutW(s->dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        ::SetBkColor(s->dc, previous);
    }

    void UsePalette(Handle surface, const uint8_t* logPalette) override {
        Surface* s = AsSurface(surface);
        if (s->palette) return;
        s->palette = ::CreatePalette(reinterpret_cast<const LOGPALETTE*>(logPalette));
        if (!s->palette) return;
        s->previousPalette = ::SelectPalette(s->dc, s->palette, FALSE);
        ::RealizePalette(s->dc);
    }

    void Play(Handle surface, Handle metafile, uint32_t width, uint32_t height) override {
        Surface* s = AsSurface(surface);
        const RECT all{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        {
            QuietPlayerFaults quiet;
            ::PlayEnhMetaFile(s->dc, AsMetafile(metafile), &all);
        }
        DeselectBitmap(s);  // GetDIBits wants the bitmap out of every context
    }

    uint32_t ReadRows(Handle surface, uint32_t rows, uint8_t* bitmapInfo, uint8_t* bits) override {
        Surface* s = AsSurface(surface);
        DeselectBitmap(s);
        const int copied = ::GetDIBits(s->dc, s->bitmap, 0, rows, bits, reinterpret_cast<BITMAPINFO*>(bitmapInfo),
                                       DIB_RGB_COLORS);
        return copied > 0 ? static_cast<uint32_t>(copied) : 0;
    }

    void ReleaseSurface(Handle surface) override { Release(AsSurface(surface)); }

private:
    static void Release(Surface* s) {
        if (s->dc) {
            DeselectBitmap(s);
            if (s->previousPalette) ::SelectPalette(s->dc, s->previousPalette, FALSE);
            ::DeleteDC(s->dc);
        }
        if (s->palette) ::DeleteObject(s->palette);
        if (s->bitmap) ::DeleteObject(s->bitmap);
        delete s;
    }
};

}  // namespace

CxRenderDevice* CxPlatformRenderDevice() {
    static GdiRenderDevice device;
    return &device;
}
