// TIFF decoding of arbitrary bytes: the dimension probe, then every page the
// file names (up to a few); whatever decodes must encode and decode again to
// an image of the same size and depth.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "ximage/codecs/ximage_tif.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

// Large pictures decode the same way as small ones, only slower; the probe
// keeps the fuzzer's time for the parsing paths.
constexpr uint64_t kMaxPixels = uint64_t{1} << 20;
constexpr int32_t kMaxPages = 3;

void DecodePage(std::vector<uint8_t>& bytes, int32_t frame, int32_t& pages) {
    CxMemStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    CxImageTIF probe;
    probe.SetFrame(frame);
    probe.SetEscape(-1);
    if (!probe.Decode(&stream)) return;
    pages = probe.GetNumFrames();
    if (uint64_t{probe.GetWidth()} * probe.GetHeight() > kMaxPixels) return;

    stream.Seek(0, SEEK_SET);
    CxImageTIF image;
    image.SetFrame(frame);
    if (!image.Decode(&stream)) {
        Check(image.GetLastError()[0] != '\0');
        return;
    }
    Check(image.IsValid());
    const uint32_t bpp = image.GetBpp();
    Check(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);

    CxMemStream encoded;
    Check(encoded.Open());
    CxImageTIF writer;
    writer.BorrowFrom(&image);
    Check(writer.Encode(&encoded));
    encoded.Seek(0, SEEK_SET);
    CxImageTIF again;
    Check(again.Decode(&encoded));
    Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    Check(again.GetBpp() == bpp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    int32_t pages = 1;
    for (int32_t frame = 0; frame < pages && frame < kMaxPages; ++frame) DecodePage(bytes, frame, pages);
    return 0;
}
