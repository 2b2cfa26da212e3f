#pragma once
// What the WebP tests share: the corpus files' bytes, and libwebp's own
// decoders as the reference that the codec's pictures are compared with.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ximage/ximage.h"

namespace qlry::test::webp {

using Bytes = std::vector<uint8_t>;

Bytes CorpusFile(const std::string& name);  // by its name in the webp folder

// A picture as libwebp gives it: top-down rows of blue, green, red, alpha.
struct Reference {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgra;
};

// A still file through WebPDecodeBGRA; frame `frame` of an animation
// through WebPAnimDecoder. Empty when libwebp refuses the file.
Reference ReferenceDecode(const Bytes& file, int frame = 0);

// The image shows exactly the reference: size, colour of every pixel and
// opacity (255 where the image has no alpha plane).
::testing::AssertionResult MatchesReference(const CxImage& image, const Reference& reference);

// A picture of width x height that changes in every pixel and row.
void FillGradient(CxImage& image);

}  // namespace qlry::test::webp
