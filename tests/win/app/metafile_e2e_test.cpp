// Quillory.exe copying metafiles and icons to the real clipboard: the GDI
// renders a WMF and an EMF into the CF_DIB at the sizes the loader's rules
// give, every corpus metafile renders at its header's size or leaves the
// clipboard as it was, and an icon under a bitmap's name is copied by its
// content with its mask applied.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "support/corpus.h"
#include "unit/ximage_ico/ico_test_support.h"
#include "win/support/metafile_samples.h"
#include "win/support/win_test_support.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::wintest;

struct MetafileEndToEnd : ::testing::Test {
    std::wstring folder = MakeTempFolder(L"metafile");
    std::wstring Path(const std::wstring& name) { return folder + L"\\" + name; }
    int lastExit = 0;

    // Copies the file with Quillory.exe; true with the clipboard's bitmap
    // when it put one there (it held text before).
    bool CopyAndRead(const std::wstring& name, CxImage& image) {
        if (!PutClipboardText(L"before")) return false;
        lastExit = RunQuillory(L"-c \"" + Path(name) + L"\"", 15000);
        if (!::OpenClipboard(nullptr)) return false;
        HANDLE dib = ::GetClipboardData(CF_DIB);
        const bool imported = dib && image.ImportDibHandle(dib);
        ::CloseClipboard();
        return imported;
    }
};

int ScreenCaps(int index) {
    HDC screen = ::GetDC(nullptr);
    const int value = ::GetDeviceCaps(screen, index);
    ::ReleaseDC(nullptr, screen);
    return value;
}

CxRgbQuad Quad(COLORREF c) { return CxRgbQuad{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
int64_t I16(const std::string& b, size_t at) {
    int16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}
int64_t I32(const std::string& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

// The size the loader's rules give a file, worked out from its header here;
// false when the file is neither a sound placeable WMF nor has an EMF header.
bool ExpectedSize(const std::string& file, int64_t& width, int64_t& height) {
    if (file.size() >= 40 && U32(file, 0) == 0x9AC6CDD7) {
        uint16_t sum = 0;
        for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(I16(file, i));
        const int64_t upi = static_cast<uint16_t>(I16(file, 14));
        const int64_t type = I16(file, 22);
        const uint64_t length = 2 * uint64_t{U32(file, 28)};
        if (sum == static_cast<uint16_t>(I16(file, 20)) && upi >= 1 && upi <= 2540 && (type == 1 || type == 2) &&
            22 + length <= file.size()) {
            width = (I16(file, 10) - I16(file, 6)) * ScreenCaps(LOGPIXELSX) / upi;
            height = (I16(file, 12) - I16(file, 8)) * ScreenCaps(LOGPIXELSY) / upi;
        } else {
            return false;
        }
    } else if (file.size() >= 88 && U32(file, 0) == 1 && file.compare(40, 4, " EMF") == 0) {
        width = I32(file, 16) - I32(file, 8);
        height = I32(file, 20) - I32(file, 12);
    } else {
        return false;
    }
    if (width > 4000) height = height * 4000 / width, width = 4000;
    if (height > 4000) width = width * 4000 / height, height = 4000;
    return width > 0 && height > 0;
}

TEST_F(MetafileEndToEnd, APlaceableWmfArrivesAsTheBitmapTheGdiDraws) {
    WriteFileBytes(Path(L"drawing.wmf"), PlaceableWmfWithRedLeftHalf());
    CxImage image;
    ASSERT_TRUE(CopyAndRead(L"drawing.wmf", image));
    const uint32_t width = 1440u * ScreenCaps(LOGPIXELSX) / 1440, height = 720u * ScreenCaps(LOGPIXELSY) / 1440;
    ASSERT_EQ(image.GetWidth(), width);
    ASSERT_EQ(image.GetHeight(), height);
    EXPECT_EQ(image.GetPixelColor(width / 4, height / 2, false), (CxRgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(width * 3 / 4, height / 2, false), Quad(::GetSysColor(COLOR_WINDOW)));
}

TEST_F(MetafileEndToEnd, AnEmfArrivesAtItsBoundsSize) {
    const std::string emf = EmfWithTwoRectangles();
    WriteFileBytes(Path(L"chart.emf"), emf);
    CxImage image;
    ASSERT_TRUE(CopyAndRead(L"chart.emf", image));
    EXPECT_EQ(image.GetWidth(), static_cast<uint32_t>(I32(emf, 16) - I32(emf, 8)));
    EXPECT_EQ(image.GetHeight(), static_cast<uint32_t>(I32(emf, 20) - I32(emf, 12)));
    int blue = 0;
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) blue += image.GetPixelColor(x, y, false) == CxRgbQuad{255, 0, 0, 0};
    EXPECT_GT(blue, 1000);
}

// Files on which Wine's own metafile player (gdi32's PlayEnhMetaFile) faults:
// an EMR_FILLRGN naming a stock brush, and records whose counts run past
// their ends. The program ends quietly inside the GDI (its ordinary exit,
// no error dialog) before it touches the clipboard, which keeps what it held.
const std::set<std::string> kWineGdiFaults = {
    "libemf2svg_test_libuemf_ref.emf",
    "libemf2svg_bad_corrupted_2014-12-02-215358.emf",
    "libemf2svg_bad_corrupted_2014-12-02-215425.emf",
};

TEST_F(MetafileEndToEnd, EveryCorpusMetafileRendersAtItsHeadersSizeOrLeavesTheClipboard) {
    // A fault in a child ends it at once instead of starting the debugger
    // (this run's own prefix; the old setting comes back afterwards).
    const wchar_t* aeDebug = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
    wchar_t debugger[512] = {};
    DWORD debuggerBytes = sizeof(debugger);
    const bool hadDebugger = ::RegGetValueW(HKEY_LOCAL_MACHINE, aeDebug, L"Debugger", RRF_RT_REG_SZ, nullptr, debugger,
                                            &debuggerBytes) == ERROR_SUCCESS;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, aeDebug, L"Debugger", REG_SZ, L"", sizeof(wchar_t));
    int rendered = 0, refused = 0;
    for (const char* kind : {"wmf", "emf"}) {
        for (const auto& entry : qlry::test::CorpusEntries(kind)) {
            SCOPED_TRACE(entry.name);
            const auto bytes = qlry::test::ReadCorpusBytes(std::string(kind) + "/" + entry.name);
            const std::string file(bytes.begin(), bytes.end());
            const std::wstring name = std::wstring(L"corpus.") + (kind[0] == 'w' ? L"wmf" : L"emf");
            WriteFileBytes(Path(name), file);
            int64_t width = 0, height = 0;
            const bool sized = ExpectedSize(file, width, height);
            CxImage image;
            const bool copied = CopyAndRead(name, image);
            EXPECT_EQ(lastExit, 0) << "a fault was not ended quietly";
            if (copied) {
                ++rendered;
                ASSERT_TRUE(sized) << "rendered a file without a usable header";
                EXPECT_EQ(image.GetWidth(), uint64_t(width));
                EXPECT_EQ(image.GetHeight(), uint64_t(height));
            } else {
                ++refused;
                std::wstring text;
                ASSERT_TRUE(ClipboardText(text));
                EXPECT_EQ(text, L"before");
                // Only broken files and those without a usable header fail.
                EXPECT_TRUE(entry.corrupt || !sized || kWineGdiFaults.count(entry.name))
                    << "a sound metafile did not render";
            }
        }
    }
    if (hadDebugger)
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, aeDebug, L"Debugger", REG_SZ, debugger,
                          static_cast<DWORD>((wcslen(debugger) + 1) * sizeof(wchar_t)));
    EXPECT_GE(rendered, 25);
    std::printf("corpus metafiles: %d rendered, %d refused\n", rendered, refused);
}

TEST_F(MetafileEndToEnd, PastingIntoAMetafileWritesNothing) {
    ASSERT_TRUE(PutClipboardBitmap(6, 4, RGB(1, 2, 3)));
    WriteFileBytes(Path(L"old.emf"), "keep");
    RunQuillory(L"-p \"" + Path(L"old.emf") + L"\"");
    RunQuillory(L"-p \"" + Path(L"new.wmf") + L"\"");
    EXPECT_EQ(ReadFileBytes(Path(L"old.emf")), "keep");
    EXPECT_FALSE(FileExists(Path(L"new.wmf")));
}

TEST_F(MetafileEndToEnd, AnIconUnderABitmapsNameIsCopiedByItsContent) {
    using namespace qlry::test::ico;
    // A 4-bit icon whose pixels use indices 0 to 2 and whose mask marks the corners.
    Bytes palette;
    for (uint32_t i = 0; i < 16; ++i) palette.insert(palette.end(), {uint8_t(10 * i), uint8_t(5 * i), uint8_t(i), 0});
    Bytes rows(8 * 16, 0);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) rows[y * 8 + x / 2] |= uint8_t(((x + y) % 3) << (x % 2 ? 0 : 4));
    Bytes mask(4 * 16, 0);
    for (uint32_t y : {0u, 15u}) mask[y * 4] |= 0x80, mask[y * 4 + 1] |= 0x01;
    const Bytes icon = IconFile({BitmapImage(16, 16, 4, palette, rows, mask)});
    WriteFileBytes(Path(L"picture.bmp"), std::string(icon.begin(), icon.end()));

    CxImage image;
    ASSERT_TRUE(CopyAndRead(L"picture.bmp", image));
    ASSERT_EQ(image.GetWidth(), 16u);
    ASSERT_EQ(image.GetHeight(), 16u);
    // Masked corners take the lowest unused index, 3; the rest keep theirs.
    const CxRgbQuad transparent{30, 15, 3, 0};
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const bool corner = (x == 0 || x == 15) && (y == 0 || y == 15);
            const uint32_t i = corner ? 3 : (x + y) % 3;
            const CxRgbQuad want{uint8_t(10 * i), uint8_t(5 * i), uint8_t(i), 0};
            ASSERT_EQ(image.GetPixelColor(x, y, false), corner ? transparent : want) << x << "," << y;
        }
}

}  // namespace
