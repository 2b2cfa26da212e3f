#include "ximage/codecs/ximage_wmf.h"

#include <cstdint>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream_reader.h"
#include "ximage/dib/ximage_bytes.h"

using cximage::LoadU16;
using cximage::LoadU32;
using Handle = CxRenderDevice::Handle;

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kPlaceableSize = 22;
constexpr uint32_t kMetaHeaderSize = 18;
constexpr uint32_t kMaxUnitsPerInch = 2540;
constexpr int64_t kExtentScaleLimit = 6554;  // ten times more would pass 65535
constexpr uint16_t kPaletteVersion = 0x300;
constexpr uint32_t kMaxPaletteEntries = 0xFFFF;  // a logical palette counts them in 16 bits

// Gives a metafile or a surface back to the device on every path.
class DeviceGuard {
public:
    DeviceGuard(CxRenderDevice* device, Handle handle, bool surface)
        : device_(device), handle_(handle), surface_(surface) {}
    ~DeviceGuard() { Release(); }
    DeviceGuard(const DeviceGuard&) = delete;
    DeviceGuard& operator=(const DeviceGuard&) = delete;
    void Release() {
        if (!handle_) return;
        if (surface_) device_->ReleaseSurface(handle_);
        else device_->DeleteMetafile(handle_);
        handle_ = 0;
    }

private:
    CxRenderDevice* device_;
    Handle handle_;
    bool surface_;
};

int32_t ClampToInt32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

}  // namespace

bool CxImageWMF::Encode(CxStream* stream) {
    if (!stream) return false;
    return Fail("Save WMF not supported");
}

bool CxImageWMF::Decode(CxStream* stream, uint32_t widthOverride, uint32_t heightOverride) {
    if (!stream) return false;
    if (!device) return Fail("Can't play WMF on this system");
    CxStreamReader in(stream);
    const int64_t start = in.Position();

    int64_t width = 0, height = 0;
    Placeable placeable;
    Handle metafile = LoadPlaceableWmf(in, start, placeable);
    if (metafile) {
        int32_t dpiX = 0, dpiY = 0;
        device->ScreenResolution(dpiX, dpiY);
        width = (int64_t{placeable.box.right} - placeable.box.left) * dpiX / placeable.unitsPerInch;
        height = (int64_t{placeable.box.bottom} - placeable.box.top) * dpiY / placeable.unitsPerInch;
    } else {
        // Memory, not the file, failed: it is no enhanced metafile either.
        if (placeable.noMemory) return Fail("Cancelled");
        CxMetafileBounds bounds;
        if (!in.SeekTo(start) || !(metafile = LoadEmf(in, bounds))) return Fail("corrupted WMF");
        width = int64_t{bounds.right} - bounds.left;
        height = int64_t{bounds.bottom} - bounds.top;
    }
    DeviceGuard metafileGuard(device, metafile, false);

    if (info.escape) return Fail("Cancelled");
    // A reversed box is as empty as a flat one: there is nothing to draw.
    if (width <= 0 || height <= 0) return Fail("empty WMF");
    if (widthOverride) width = widthOverride;
    if (heightOverride) height = heightOverride;
    if (width > kMaxSide) {
        height = height * kMaxSide / width;
        width = kMaxSide;
    }
    if (height > kMaxSide) {
        width = width * kMaxSide / height;
        height = kMaxSide;
    }
    // A sliver can round to nothing at the limit.
    if (width == 0 || height == 0) return Fail("empty WMF");
    return Render(metafile, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

// Draws the metafile (released on every path by the caller's guard) and
// copies the pixels into this image.
bool CxImageWMF::Render(Handle metafile, uint32_t width, uint32_t height) {
    uint32_t bitsPerPixel = 0;
    const Handle surface = device->CreateSurface(width, height, bitsPerPixel);
    if (!surface) return false;
    DeviceGuard surfaceGuard(device, surface, true);
    device->FillWithWindowColour(surface, width, height);

    const uint32_t entries = device->PaletteEntries(metafile, 0, nullptr);
    if (entries) {
        CxBuffer block;
        if (entries > kMaxPaletteEntries || !block.Allocate(4 + uint64_t{entries} * 4)) return Fail("Cancelled");
        cximage::StoreU16(block.data(), kPaletteVersion);
        cximage::StoreU16(block.data() + 2, static_cast<uint16_t>(entries));
        device->PaletteEntries(metafile, entries, block.data() + 4);
        device->UsePalette(surface, block.data());
    }
    device->Play(surface, metafile, width, height);
    if (info.escape) return Fail("Cancelled");

    if (!Create(width, height, bitsPerPixel, CXIMAGE_FORMAT_WMF)) return false;
    // The image's own header and palette describe the rows wanted.
    return device->ReadRows(surface, height, dib, info.pixels) > 0;
}

// A placeable WMF converted to an enhanced metafile, or 0 when the stream
// holds none.
Handle CxImageWMF::LoadPlaceableWmf(CxStreamReader& in, int64_t start, Placeable& placeable) {
    const int64_t total = in.Stream()->Size64();
    uint8_t head[kPlaceableSize];
    if (!in.Read(head, sizeof(head))) return 0;
    uint16_t checksum = 0;
    for (uint32_t i = 0; i < 20; i += 2) checksum ^= LoadU16(head + i);
    placeable.box.left = static_cast<int16_t>(LoadU16(head + 6));
    placeable.box.top = static_cast<int16_t>(LoadU16(head + 8));
    placeable.box.right = static_cast<int16_t>(LoadU16(head + 10));
    placeable.box.bottom = static_cast<int16_t>(LoadU16(head + 12));
    placeable.unitsPerInch = LoadU16(head + 14);
    if (LoadU32(head) != kPlaceableKey || checksum != LoadU16(head + 20) || placeable.unitsPerInch < 1 ||
        placeable.unitsPerInch > kMaxUnitsPerInch)
        return 0;

    uint8_t meta[kMetaHeaderSize];
    if (!in.Read(meta, sizeof(meta))) return 0;
    const uint16_t type = LoadU16(meta);
    const uint64_t length = 2 * uint64_t{LoadU32(meta + 6)};
    if ((type != 1 && type != 2) || total < 0 || length > static_cast<uint64_t>(total)) return 0;

    CxBuffer bytes;
    placeable.noMemory = !bytes.Allocate(length);
    if (placeable.noMemory || !in.SeekTo(start + kPlaceableSize) || !in.Read(bytes.data(), bytes.size())) return 0;

    // The picture's extents at the screen's resolution, scaled up by tens
    // while both stay below 6554 (a larger picture converts more exactly).
    // An empty box would never grow: it is left as it is.
    int32_t dpiX = 0, dpiY = 0;
    device->ScreenResolution(dpiX, dpiY);
    int64_t xExt = (int64_t{placeable.box.right} - placeable.box.left) * dpiX / placeable.unitsPerInch;
    int64_t yExt = (int64_t{placeable.box.bottom} - placeable.box.top) * dpiY / placeable.unitsPerInch;
    while ((xExt != 0 || yExt != 0) && xExt < kExtentScaleLimit && yExt < kExtentScaleLimit &&
           xExt > -kExtentScaleLimit && yExt > -kExtentScaleLimit) {
        xExt *= 10;
        yExt *= 10;
    }
    Handle metafile = device->ConvertWmf(bytes.data(), bytes.size(), CxRenderDevice::kMapAnisotropic,
                                         ClampToInt32(xExt), ClampToInt32(yExt));
    if (!metafile)
        metafile = device->ConvertWmf(bytes.data(), bytes.size(), CxRenderDevice::kMapText, ClampToInt32(xExt),
                                      ClampToInt32(yExt));
    return metafile;
}

// The rest of the stream as an enhanced metafile and the bounds of its
// header, or 0.
Handle CxImageWMF::LoadEmf(CxStreamReader& in, CxMetafileBounds& bounds) {
    CxBuffer bytes;
    if (!in.ReadRest(bytes)) return 0;
    const Handle metafile = device->LoadEmf(bytes.data(), bytes.size());
    if (!metafile) return 0;
    if (!device->EmfBounds(metafile, bounds)) {
        device->DeleteMetafile(metafile);
        return 0;
    }
    return metafile;
}
