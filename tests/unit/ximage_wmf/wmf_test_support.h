#pragma once
// Metafiles built in the tests, and decoding them through the metafile
// codec itself, over a fake rendering device.
#include <cstdint>
#include <vector>

#include "support/byte_builder.h"
#include "support/codec_test_support.h"
#include "support/fake_render_device.h"
#include "ximage/codecs/ximage_wmf.h"

namespace qlry::test::wmf {

using Bytes = std::vector<uint8_t>;

using qlry::test::Put16;
using qlry::test::Put32;

struct Placeable {
    int16_t left = 0, top = 0, right = 1440, bottom = 720;
    uint16_t unitsPerInch = 1440;
    int checksumDelta = 0;  // nonzero: a wrong checksum
    uint16_t type = 1;
    int64_t sizeWords = -1;  // -1: the records' size
    Bytes records = {3, 0, 0, 0, 0, 0};  // an end-of-file record
};

// The 22-byte placeable header, the 18-byte metafile header and the records.
inline Bytes PlaceableWmf(const Placeable& p) {
    Bytes out;
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);
    Put16(out, static_cast<uint16_t>(p.left));
    Put16(out, static_cast<uint16_t>(p.top));
    Put16(out, static_cast<uint16_t>(p.right));
    Put16(out, static_cast<uint16_t>(p.bottom));
    Put16(out, p.unitsPerInch);
    Put32(out, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    Put16(out, static_cast<uint16_t>(sum + p.checksumDelta));
    const uint32_t words = static_cast<uint32_t>(p.sizeWords >= 0 ? p.sizeWords : (18 + p.records.size()) / 2);
    Put16(out, p.type);
    Put16(out, 9);
    Put16(out, 0x300);
    Put32(out, words);
    Put16(out, 0);
    Put32(out, 3);
    Put16(out, 0);
    out.insert(out.end(), p.records.begin(), p.records.end());
    return out;
}

// Some bytes that only the fake takes for an EMF.
inline Bytes SomeEmf() { return Bytes{1, 0, 0, 0, 108, 0, 0, 0, ' ', 'E', 'M', 'F'}; }

// The codec's own decode, with its size overrides (0: computed).
inline bool DecodeMetafile(const Bytes& bytes, CxImageWMF& image, uint32_t width = 0, uint32_t height = 0) {
    return qlry::test::DecodeBytes(bytes, [&](CxStream* stream) { return image.Decode(stream, width, height); });
}

}  // namespace qlry::test::wmf
