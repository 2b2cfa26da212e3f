#pragma once
// CxRenderDevice: the rendering port through which the image library has
// metafiles drawn. Each call is one step of the platform's metafile player
// (on Windows the GDI: screen resolution, SetWinMetaFileBits,
// SetEnhMetaFileBits and its header, an off-screen bitmap with its memory
// context, PlayEnhMetaFile, GetDIBits), so that every decision around them
// (header checks, sizes, limits, failures, what is released) stays portable
// and is tested over a fake. Handles are opaque; 0 is none. Whatever a call
// hands out is given back through DeleteMetafile or ReleaseSurface.
#include <cstddef>
#include <cstdint>

// A rectangle in the metafile's device units (left and top inclusive).
struct CxMetafileBounds {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class CxRenderDevice {
public:
    using Handle = uintptr_t;
    static constexpr int32_t kMapText = 1;         // MM_TEXT
    static constexpr int32_t kMapAnisotropic = 8;  // MM_ANISOTROPIC

    virtual ~CxRenderDevice() = default;

    // Pixels per inch of the screen (LOGPIXELSX, LOGPIXELSY).
    virtual void ScreenResolution(int32_t& dpiX, int32_t& dpiY) = 0;

    // ---- metafiles ---------------------------------------------------------
    // Windows metafile bytes (without a placeable header) converted into an
    // enhanced metafile, pictured in the mapping mode with the extents given,
    // against the screen; 0 when the platform refuses them.
    virtual Handle ConvertWmf(const uint8_t* bytes, size_t size, int32_t mapMode, int32_t xExt, int32_t yExt) = 0;
    // An enhanced metafile from its bytes; 0 when they do not load.
    virtual Handle LoadEmf(const uint8_t* bytes, size_t size) = 0;
    // The bounds rectangle of the enhanced metafile's header; false when the
    // header cannot be read.
    virtual bool EmfBounds(Handle metafile, CxMetafileBounds& bounds) = 0;
    // The metafile's own palette: with entries null its number of entries;
    // else up to count entries (red, green, blue, flags) into entries.
    virtual uint32_t PaletteEntries(Handle metafile, uint32_t count, uint8_t* entries) = 0;
    virtual void DeleteMetafile(Handle metafile) = 0;

    // ---- the off-screen surface --------------------------------------------
    // A bitmap of width x height compatible with the screen, selected into a
    // memory context of its own, and that context's bits per pixel. 0 when
    // either could not be made (then nothing of it is left).
    virtual Handle CreateSurface(uint32_t width, uint32_t height, uint32_t& bitsPerPixel) = 0;
    // Fills (0, 0, width, height) with the system window colour.
    virtual void FillWithWindowColour(Handle surface, uint32_t width, uint32_t height) = 0;
    // Selects and realises a logical palette built from logPalette (version,
    // count, entries as a LOGPALETTE); the palette lives as long as the surface.
    virtual void UsePalette(Handle surface, const uint8_t* logPalette) = 0;
    // Plays the metafile stretched to (0, 0, width, height), then takes the
    // bitmap out of the memory context.
    virtual void Play(Handle surface, Handle metafile, uint32_t width, uint32_t height) = 0;
    // Copies rows 0..rows-1 (bottom-up) into bits in the format that
    // bitmapInfo (a 40-byte info header and room for its palette) describes;
    // the palette is filled in. Returns the rows copied.
    virtual uint32_t ReadRows(Handle surface, uint32_t rows, uint8_t* bitmapInfo, uint8_t* bits) = 0;
    virtual void ReleaseSurface(Handle surface) = 0;
};

// The platform's device: the GDI on Windows, none (null) where there is no
// metafile player.
CxRenderDevice* CxPlatformRenderDevice();
