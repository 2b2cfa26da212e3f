// The image as the family's writers see it: rows from the top, as grey
// samples (palette indices of a grey image) or as red, green, blue.
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"

namespace cxjas {

void SourceRows::Row(uint32_t y, uint8_t* out) const {
    const uint32_t width = Width();
    const uint32_t row = Height() - 1 - y;
    const uint8_t* in = image_.GetBits(row);
    if (grey_) {
        if (image_.GetBpp() == 8) {
            std::memcpy(out, in, width);
        } else {
            for (uint32_t x = 0; x < width; ++x) out[x] = image_.GetPixelIndexUnchecked(x, row);
        }
        return;
    }
    for (uint32_t x = 0; x < width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
    }
}

void SourceRows::RowBgr(uint32_t y, uint8_t* out) const {
    std::memcpy(out, image_.GetBits(Height() - 1 - y), size_t{Width()} * 3);
}

}  // namespace cxjas
