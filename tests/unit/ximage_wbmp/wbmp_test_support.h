#pragma once
// Helpers shared by the WBMP tests: decoding and encoding through memory.
#include <cstdint>
#include <vector>

#include "ximage/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace qlry::test::wbmp {

inline bool DecodeBytes(std::vector<uint8_t> bytes, CxImage& image, uint32_t format = CXIMAGE_FORMAT_WBMP) {
    CxMemStream stream(bytes.empty() ? nullptr : bytes.data(), static_cast<int32_t>(bytes.size()));
    if (bytes.empty()) stream.Open();
    return image.Decode(&stream, format);
}

// The encoded file, or nothing when the encoder refused (ok tells which).
inline std::vector<uint8_t> EncodeBytes(CxImage& image, bool& ok) {
    CxMemStream stream;
    stream.Open();
    ok = image.Encode(&stream, CXIMAGE_FORMAT_WBMP);
    const int32_t size = stream.Size();
    const uint8_t* data = stream.GetBuffer(false);
    return data && size > 0 ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>{};
}

}  // namespace qlry::test::wbmp
