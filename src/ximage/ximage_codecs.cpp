#include "ximage/ximage_codecs.h"

#include <array>

#include "ximage/codecs/ximage_bmp.h"
#include "ximage/codecs/ximage_gif.h"
#include "ximage/codecs/ximage_ico.h"
#include "ximage/codecs/ximage_jas.h"
#include "ximage/codecs/ximage_jpg.h"
#include "ximage/codecs/ximage_pcx.h"
#include "ximage/codecs/ximage_png.h"
#include "ximage/codecs/ximage_tga.h"
#include "ximage/codecs/ximage_tif.h"
#include "ximage/codecs/ximage_wbmp.h"
#include "ximage/codecs/ximage_webp.h"
#include "ximage/codecs/ximage_wmf.h"

namespace {

// Detection order: BMP, JPEG, ICO, GIF, PNG, TIFF, WebP, TGA, PCX, WBMP,
// WMF/EMF, then the JPEG-2000 family (JP2, JPC, PGX, PNM, RAS) recognising
// its own data with detectFormat 0. WebP sits behind the formats with a
// signature of their own and ahead of TGA, which has none: its 12-byte
// "RIFF....WEBP" test is cheap, and no later decoder can take its files for
// theirs. A format without a row is declined.
constexpr std::array kCodecs{
    CxCodecRow<CxImageBMP>(CXIMAGE_FORMAT_BMP),
    CxCodecRow<CxImageJPG>(CXIMAGE_FORMAT_JPG),
    CxCodecRow<CxImageICO>(CXIMAGE_FORMAT_ICO, true),
    CxCodecRow<CxImageGIF>(CXIMAGE_FORMAT_GIF, true),
    CxCodecRow<CxImagePNG>(CXIMAGE_FORMAT_PNG),
    CxCodecRow<CxImageTIF>(CXIMAGE_FORMAT_TIF, true),
    CxCodecRow<CxImageWEBP>(CXIMAGE_FORMAT_WEBP, true),
    CxCodecRow<CxImageTGA>(CXIMAGE_FORMAT_TGA),
    CxCodecRow<CxImagePCX>(CXIMAGE_FORMAT_PCX),
    CxCodecRow<CxImageWBMP>(CXIMAGE_FORMAT_WBMP),
    CxCodecRow<CxImageWMF>(CXIMAGE_FORMAT_WMF),
    // One class for the family; it recognises its formats itself.
    CxCodecEntry{CXIMAGE_FORMAT_JP2, CXIMAGE_FORMAT_RAS, CXIMAGE_FORMAT_UNKNOWN, false, &CxDecodeAs<CxImageJAS>,
                 &CxEncodeAs<CxImageJAS>},
};

}  // namespace

std::span<const CxCodecEntry> CxCodecTable() { return kCodecs; }
