// CxImage: quarter turns. The result is built in a second image and moved
// into place, so an image is never half turned. Depths above 1 bit are
// copied in 64 x 64 tiles of the target, so that the source rows of a tile
// stay in cache while they are read by columns.
#include <algorithm>

#include "ximage/ximage.h"

namespace {

constexpr uint32_t kTile = 64;

enum class Turn { Left, Right };

// Source coordinates of target pixel (tx, ty), y counted from the bottom row.
struct SourceOf {
    Turn turn;
    uint32_t oldWidth, oldHeight;
    uint32_t X(uint32_t ty) const { return turn == Turn::Left ? ty : oldWidth - 1 - ty; }
    uint32_t Y(uint32_t tx) const { return turn == Turn::Left ? oldHeight - 1 - tx : tx; }
};

}  // namespace

static bool Rotate(CxImage& self, CxImage* target, Turn turn, int32_t& progress) {
    if (!self.IsValid()) return false;
    const uint32_t oldWidth = self.GetWidth(), oldHeight = self.GetHeight();
    const uint32_t newWidth = oldHeight, newHeight = oldWidth;
    const uint32_t bpp = self.GetBpp();
    const SourceOf source{turn, oldWidth, oldHeight};

    CxImage rotated;
    rotated.CopyOptions(self);
    if (!rotated.Create(newWidth, newHeight, bpp, self.GetType())) return false;
    rotated.SetXDpi(self.GetXDpi());
    rotated.SetYDpi(self.GetYDpi());
    rotated.SetPalette(self.GetPalette(), self.GetNumColors());
    if (self.AlphaIsValid()) {
        rotated.AlphaCreate();
        if (!rotated.AlphaIsValid()) return false;
    }

    if (bpp == 1) {
        for (uint32_t ty = 0; ty < newHeight; ++ty)
            for (uint32_t tx = 0; tx < newWidth; ++tx)
                if (self.GetPixelIndexUnchecked(source.X(ty), source.Y(tx)))
                    rotated.SetPixelIndex(tx, ty, 1);
    } else {
        const uint8_t* srcBits = self.GetBits(0);
        const size_t srcStride = self.GetRowBytes();
        for (uint32_t tx0 = 0; tx0 < newWidth; tx0 += kTile) {
            const uint32_t tx1 = std::min(tx0 + kTile, newWidth);
            for (uint32_t ty0 = 0; ty0 < newHeight; ty0 += kTile) {
                const uint32_t ty1 = std::min(ty0 + kTile, newHeight);
                for (uint32_t ty = ty0; ty < ty1; ++ty) {
                    uint8_t* dst = rotated.GetBits(ty);
                    for (uint32_t tx = tx0; tx < tx1; ++tx) {
                        const uint32_t sx = source.X(ty), sy = source.Y(tx);
                        if (bpp == 24) {
                            const uint8_t* s = srcBits + sy * srcStride + size_t{sx} * 3;
                            uint8_t* d = dst + size_t{tx} * 3;
                            d[0] = s[0];
                            d[1] = s[1];
                            d[2] = s[2];
                        } else {
                            rotated.SetPixelIndex(tx, ty, self.GetPixelIndexUnchecked(sx, sy));
                        }
                    }
                }
            }
            // Set after each target column to 100 x column / new width; only
            // the value of a tile's last column can be seen, so it is set once.
            progress = static_cast<int32_t>(uint64_t{100} * (tx1 - 1) / newWidth);
        }
    }
    if (self.AlphaIsValid()) {
        for (uint32_t ty = 0; ty < newHeight; ++ty)
            for (uint32_t tx = 0; tx < newWidth; ++tx)
                rotated.AlphaSet(tx, ty, self.AlphaGet(source.X(ty), source.Y(tx)));
    }
    return target ? target->TakeOver(rotated) : self.TakeOver(rotated);
}

bool CxImage::RotateLeft(CxImage* target) { return Rotate(*this, target, Turn::Left, info.progress); }

bool CxImage::RotateRight(CxImage* target) { return Rotate(*this, target, Turn::Right, info.progress); }
