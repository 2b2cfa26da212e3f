#include <gtest/gtest.h>

#include "ximage/ximage_extensions.h"
#include "transfer/image_target_format.h"
#include "ximage/ximage_formats.h"

namespace {

using qlry::TargetImageFormat;

TEST(TargetImageFormat, ListOnlyEntriesWriteJpegAndWbmp) {
    EXPECT_EQ(TargetImageFormat(L"C:\\dir\\shot.jfi"), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(TargetImageFormat(L"C:\\dir\\shot.JPE"), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(TargetImageFormat(L"C:\\dir\\shot.Wbm"), CXIMAGE_FORMAT_WBMP);
    EXPECT_EQ(TargetImageFormat(L"C:\\dir\\.wbm"), CXIMAGE_FORMAT_WBMP);
}

TEST(TargetImageFormat, OtherwiseFollowsTheLibrarysTable) {
    for (const wchar_t* path : {L"a.bmp", L"a.JPEG", L"a.tif", L"a.ppm", L"a.txt", L"a", L"a.jfif", L"b.jfi.txt",
                                L"c.jpe ", L"d.wbmp"}) {
        EXPECT_EQ(TargetImageFormat(path), FormatFromExtension(path)) << path;
    }
    EXPECT_EQ(TargetImageFormat(L"b.jfi.txt"), CXIMAGE_FORMAT_UNKNOWN);
}

TEST(TargetImageFormat, EveryEntryOfTheImageListNamesAFormat) {
    for (const wchar_t* ext : kImageExtensions) {
        EXPECT_NE(TargetImageFormat(std::wstring(L"C:\\dir\\new") + ext), CXIMAGE_FORMAT_UNKNOWN) << ext;
    }
}

}  // namespace
