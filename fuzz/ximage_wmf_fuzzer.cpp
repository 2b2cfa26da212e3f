// The metafile codec's header checks and sizing on arbitrary bytes, over the
// tests' fake rendering device. The fake takes any bytes for an EMF whose
// bounds are the four 32-bit values at offset 8 (where an EMF header keeps
// them), so both roads are walked. Every metafile and surface handed out is
// given back, and a drawn image is never larger than 4000 a side.
#include <cstdint>
#include <cstring>
#include <vector>

#include "../tests/support/fake_render_device.h"
#include "fuzz_check.h"
#include "ximage/codecs/ximage_wmf.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    CxMemStream stream(bytes.empty() ? nullptr : bytes.data(), static_cast<int32_t>(size));
    if (bytes.empty()) stream.Open();

    qlry::test::FakeRenderDevice device;
    device.refuseAnisotropic = size > 0 && (data[0] & 1);
    device.refuseEmf = size < 24;
    if (size >= 24) {
        device.emfBounds = CxMetafileBounds{cximage::LoadI32(data + 8), cximage::LoadI32(data + 12),
                                            cximage::LoadI32(data + 16), cximage::LoadI32(data + 20)};
        device.paletteCount = data[size - 1] == 0x55 ? data[size - 2] : 0;
    }
    // Keep the fake's surfaces small: only the decisions are under test
    // (a larger one is refused, which walks that path too).
    device.maxSurfacePixels = 1 << 16;
    device.dpiX = 1 + (size > 1 ? data[1] % 8 : 0);
    device.dpiY = 1 + (size > 2 ? data[2] % 8 : 0);

    CxImageWMF image(&device);
    const bool ok = image.Decode(&stream);
    Check(device.liveMetafiles == 0 && device.liveSurfaces == 0);
    if (!ok) {
        Check(!image.IsValid());
        return 0;
    }
    Check(image.IsValid() && image.GetWidth() <= CxImageWMF::kMaxSide && image.GetHeight() <= CxImageWMF::kMaxSide);
    Check(image.GetWidth() > 0 && image.GetHeight() > 0);
    Check(device.filled && device.played);
    Check(uint64_t{image.GetWidth()} * image.GetHeight() <= device.maxSurfacePixels);
    return 0;
}
