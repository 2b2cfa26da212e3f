// The GDI rendering device against the real GDI: metafiles convert, load,
// report their bounds and play; the surface starts in the window colour and
// its rows come back at the image's depth; and the metafile codec over it
// renders a WMF and an EMF at the sizes its rules give.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>

#include "win/support/metafile_samples.h"
#include "ximage/codecs/ximage_wmf.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/render/cx_render_device.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

CxRgbQuad Quad(COLORREF c) { return CxRgbQuad{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

bool Decode(const std::string& bytes, CxImage& image, uint32_t format = CXIMAGE_FORMAT_WMF) {
    std::string copy = bytes;
    CxMemStream stream(reinterpret_cast<uint8_t*>(copy.data()), static_cast<int32_t>(copy.size()));
    return image.Decode(&stream, format);
}

int32_t LoadI32(const std::string& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

int ScreenCaps(int index) {
    HDC screen = ::GetDC(nullptr);
    const int value = ::GetDeviceCaps(screen, index);
    ::ReleaseDC(nullptr, screen);
    return value;
}

TEST(GdiRenderDevice, ScreenResolutionIsTheScreensPixelsPerInch) {
    int32_t x = 0, y = 0;
    CxPlatformRenderDevice()->ScreenResolution(x, y);
    EXPECT_EQ(x, ScreenCaps(LOGPIXELSX));
    EXPECT_EQ(y, ScreenCaps(LOGPIXELSY));
}

TEST(GdiRenderDevice, MetafilesLoadReportBoundsAndAreDeleted) {
    CxRenderDevice& device = *CxPlatformRenderDevice();
    const std::string emf = EmfWithTwoRectangles();
    ASSERT_GT(emf.size(), 108u);
    const auto handle = device.LoadEmf(reinterpret_cast<const uint8_t*>(emf.data()), emf.size());
    ASSERT_NE(handle, 0u);
    CxMetafileBounds bounds;
    ASSERT_TRUE(device.EmfBounds(handle, bounds));
    EXPECT_EQ(bounds.left, LoadI32(emf, 8));
    EXPECT_EQ(bounds.bottom, LoadI32(emf, 20));
    EXPECT_EQ(device.PaletteEntries(handle, 0, nullptr), 0u);
    EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(handle)), static_cast<DWORD>(OBJ_ENHMETAFILE));
    device.DeleteMetafile(handle);
    EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(handle)), 0u);

    const uint8_t junk[16] = {1, 2, 3};
    EXPECT_EQ(device.LoadEmf(junk, sizeof(junk)), 0u);

    const std::string wmf = PlaceableWmfWithRedLeftHalf();
    const auto* records = reinterpret_cast<const uint8_t*>(wmf.data()) + 22;
    const auto converted = device.ConvertWmf(records, wmf.size() - 22, CxRenderDevice::kMapAnisotropic, 9600, 4800);
    ASSERT_NE(converted, 0u);
    device.DeleteMetafile(converted);
}

TEST(GdiRenderDevice, TheSurfaceStartsInTheWindowColourAndReadsBackBottomUp) {
    CxRenderDevice& device = *CxPlatformRenderDevice();
    uint32_t bpp = 0;
    const auto surface = device.CreateSurface(7, 5, bpp);
    ASSERT_NE(surface, 0u);
    EXPECT_EQ(bpp, static_cast<uint32_t>(ScreenCaps(BITSPIXEL)));
    device.FillWithWindowColour(surface, 7, 5);
    CxImage image;
    ASSERT_NE(image.Create(7, 5, 24), nullptr);
    std::string info(reinterpret_cast<const char*>(image.GetDib()), 40);
    EXPECT_EQ(device.ReadRows(surface, 5, reinterpret_cast<uint8_t*>(info.data()), image.GetBits(0)), 5u);
    device.ReleaseSurface(surface);
    const CxRgbQuad window = Quad(::GetSysColor(COLOR_WINDOW));
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(image.GetPixelColor(x, y, false), window) << x << "," << y;
}

TEST(GdiMetafiles, APlaceableWmfRendersAtTheScreenResolution) {
    CxImage image;
    ASSERT_TRUE(Decode(PlaceableWmfWithRedLeftHalf(), image)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_WMF});
    const uint32_t width = 1440u * ScreenCaps(LOGPIXELSX) / 1440, height = 720u * ScreenCaps(LOGPIXELSY) / 1440;
    ASSERT_EQ(image.GetWidth(), width);
    ASSERT_EQ(image.GetHeight(), height);
    EXPECT_EQ(image.GetBpp(), 24u);
    // The red left half, and the window colour where nothing was drawn.
    EXPECT_EQ(image.GetPixelColor(width / 4, height / 2, false), (CxRgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(width * 3 / 4, height / 2, false), Quad(::GetSysColor(COLOR_WINDOW)));
}

TEST(GdiMetafiles, AnEmfRendersAtItsBoundsOverTheWindowColour) {
    const std::string emf = EmfWithTwoRectangles();
    CxImage image;
    ASSERT_TRUE(Decode(emf, image)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), static_cast<uint32_t>(LoadI32(emf, 16) - LoadI32(emf, 8)));
    EXPECT_EQ(image.GetHeight(), static_cast<uint32_t>(LoadI32(emf, 20) - LoadI32(emf, 12)));
    const CxRgbQuad window = Quad(::GetSysColor(COLOR_WINDOW));
    bool blue = false, green = false, background = false;
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            const CxRgbQuad c = image.GetPixelColor(x, y, false);
            blue |= c == CxRgbQuad{255, 0, 0, 0};
            green |= c == CxRgbQuad{0, 255, 0, 0};
            background |= c == window;
        }
    EXPECT_TRUE(blue);
    EXPECT_TRUE(green);
    EXPECT_TRUE(background);  // between the rectangles
}

TEST(GdiMetafiles, LargeEmfsAreLimitedTo4000) {
    for (auto [w, h, ew, eh] : {std::tuple{8000, 2000, 4000u, 1000u}, std::tuple{3000, 9000, 1333u, 4000u}}) {
        const std::string emf = EmfOfSize(w, h);
        const int64_t bw = int64_t{LoadI32(emf, 16)} - LoadI32(emf, 8);
        const int64_t bh = int64_t{LoadI32(emf, 20)} - LoadI32(emf, 12);
        int64_t expectW = bw, expectH = bh;
        if (expectW > 4000) expectH = expectH * 4000 / expectW, expectW = 4000;
        if (expectH > 4000) expectW = expectW * 4000 / expectH, expectH = 4000;
        CxImage image;
        ASSERT_TRUE(Decode(emf, image)) << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), uint64_t(expectW)) << w << "x" << h;
        EXPECT_EQ(image.GetHeight(), uint64_t(expectH)) << w << "x" << h;
        // Bounds of exactly the drawing: 8000 x 2000 gives 4000 x 1000, 3000 x 9000 gives 1333 x 4000.
        if (bw == w && bh == h) {
            EXPECT_EQ(image.GetWidth(), ew);
            EXPECT_EQ(image.GetHeight(), eh);
        }
        EXPECT_EQ(image.GetPixelColor(image.GetWidth() / 2, image.GetHeight() / 2, false),
                  (CxRgbQuad{0, 100, 200, 0}));
    }
}

TEST(GdiMetafiles, DetectionFindsMetafilesAndBrokenOnesFailCleanly) {
    CxImage detected;
    ASSERT_TRUE(Decode(EmfWithTwoRectangles(), detected, CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_EQ(detected.GetType(), uint32_t{CXIMAGE_FORMAT_WMF});
    std::string broken = PlaceableWmfWithRedLeftHalf();
    broken[20] ^= 1;  // checksum
    CxImage typed(3, 3, 24);
    EXPECT_FALSE(Decode(broken, typed));
    EXPECT_STREQ(typed.GetLastError(), "corrupted WMF");
    EXPECT_EQ(typed.GetWidth(), 3u);
}

}  // namespace
