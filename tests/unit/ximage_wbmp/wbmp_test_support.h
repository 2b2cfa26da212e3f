#pragma once
// Helpers shared by the WBMP tests: decoding and encoding through memory.
#include <cstdint>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace qlry::test::wbmp {

inline bool DecodeBytes(const std::vector<uint8_t>& bytes, CxImage& image, uint32_t format = CXIMAGE_FORMAT_WBMP) {
    return qlry::test::DecodeBytes(bytes, image, format);
}

// The encoded file, or nothing when the encoder refused (ok tells which).
inline std::vector<uint8_t> EncodeBytes(CxImage& image, bool& ok) {
    return qlry::test::EncodeBytes(image, CXIMAGE_FORMAT_WBMP, &ok);
}

}  // namespace qlry::test::wbmp
