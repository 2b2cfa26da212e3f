#pragma once
// CxImageWMF: Windows metafiles (with the 22-byte placeable header) and
// enhanced metafiles, read only.
//
// The codec does not interpret metafile records: it checks and sizes the
// file, has the platform's player draw it into an off-screen bitmap over the
// system window colour (through CxRenderDevice) and copies the rows into the
// image at the display's depth. A placeable WMF is sized from its bounding
// box and units per inch at the screen's resolution, an EMF by its header's
// bounds; both are limited to 4000 pixels a side, keeping the proportions.
// Without a rendering device (off Windows) every metafile is declined.
#include <cstdint>

#include "ximage/render/cx_render_device.h"
#include "ximage/ximage.h"

class CxStream;
class CxStreamReader;

class CxImageWMF : public CxImage {
public:
    explicit CxImageWMF(CxRenderDevice* device = CxPlatformRenderDevice())
        : CxImage(CXIMAGE_FORMAT_WMF), device(device) {}
    bool Decode(CxStream* stream) { return Decode(stream, 0, 0); }
    // A nonzero override replaces the computed width or height.
    bool Decode(CxStream* stream, uint32_t widthOverride, uint32_t heightOverride);
    // Metafiles are never written.
    bool Encode(CxStream* stream);

    static constexpr uint32_t kMaxSide = 4000;

private:
    struct Placeable {
        CxMetafileBounds box;
        uint32_t unitsPerInch = 0;
        bool noMemory = false;  // a placeable file whose metafile could not be held
    };
    CxRenderDevice::Handle LoadPlaceableWmf(CxStreamReader& in, int64_t start, Placeable& placeable);
    CxRenderDevice::Handle LoadEmf(CxStreamReader& in, CxMetafileBounds& bounds);
    bool Render(CxRenderDevice::Handle metafile, uint32_t width, uint32_t height);

    CxRenderDevice* device;
};
