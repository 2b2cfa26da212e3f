#include "app/classify_path.h"

#include <gtest/gtest.h>

#include "ximage/ximage_extensions.h"
#include "ximage/ximage_formats.h"
#include "platform/path_text.h"

namespace {

TEST(FindExtension, BehavesLikeTheShell) {
    EXPECT_EQ(qlry::FindExtension(L"C:\\a\\photo.jpg"), L".jpg");
    EXPECT_EQ(qlry::FindExtension(L"archive.tar.gz"), L".gz");
    EXPECT_EQ(qlry::FindExtension(L"noext"), L"");
    EXPECT_EQ(qlry::FindExtension(L"ends.with."), L".");
    EXPECT_EQ(qlry::FindExtension(L"C:\\dir.png\\file"), L"");
    EXPECT_EQ(qlry::FindExtension(L"name.png x"), L"");
    EXPECT_EQ(qlry::FindExtension(L""), L"");
}

TEST(FindFileName, TakesThePartAfterTheLastSeparator) {
    EXPECT_EQ(qlry::FindFileName(L"C:\\dir\\name.txt"), L"name.txt");
    EXPECT_EQ(qlry::FindFileName(L"name.txt"), L"name.txt");
    EXPECT_EQ(qlry::FindFileName(L"C:name.txt"), L"name.txt");
    EXPECT_EQ(qlry::FindFileName(L"C:\\dir\\sub\\"), L"sub\\");
    EXPECT_EQ(qlry::FindFileName(L"C:/dir/name.txt"), L"name.txt");
}

TEST(FindFileName, DoubledAndTrailingSeparatorsStayWithTheNameBefore) {
    // A separator followed by another one, or by nothing, starts no name.
    EXPECT_EQ(qlry::FindFileName(L"C:\\dir\\\\"), L"dir\\\\");
    EXPECT_EQ(qlry::FindFileName(L"C:\\\\"), L"C:\\\\");
    EXPECT_EQ(qlry::FindFileName(L"C:\\"), L"C:\\");
    EXPECT_EQ(qlry::FindFileName(L"\\\\server\\share"), L"share");
    EXPECT_EQ(qlry::FindFileName(L"C:\\dir\\\\x.txt"), L"x.txt");
    EXPECT_EQ(qlry::FindFileName(L"C:\\dir/\\"), L"dir/\\");
    EXPECT_EQ(qlry::FindFileName(L""), L"");
    EXPECT_EQ(qlry::FindFileName(L"\\"), L"\\");
}

TEST(ClassifyPath, TheListDerivedFromTheExtensionTableKeepsItsOrder) {
    const wchar_t* const expected[] = {L".bmp", L".jpg", L".gif", L".png", L".emf", L".j2c", L".j2k",
                                       L".jfi", L".jp2", L".jpc", L".jpe", L".pcx", L".pgm", L".pgx",
                                       L".pnm", L".ppm", L".ras", L".tga", L".tif", L".wbm", L".wmf",
                                       L".webp"};
    ASSERT_EQ(kImageExtensions.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_STREQ(kImageExtensions[i], expected[i]) << i;
}

TEST(ClassifyPath, EveryListedExtensionIsAnImageInAnyCase) {
    for (const wchar_t* extension : kImageExtensions) {
        std::wstring lower = std::wstring(L"C:\\x\\picture") + extension;
        std::wstring upper = lower;
        for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
        EXPECT_EQ(ClassifyPath(lower), KindImage) << lower;
        EXPECT_EQ(ClassifyPath(upper), KindImage) << upper;
    }
    EXPECT_EQ(ClassifyPath(L"photo.JPG"), KindImage);
}

TEST(ClassifyPath, TheNamesFormatFromExtensionKnowsBeyondTheListAreImages) {
    EXPECT_EQ(ClassifyPath(L"photo.jpeg"), KindImage);
    EXPECT_EQ(ClassifyPath(L"scan.TIFF"), KindImage);
    EXPECT_EQ(ClassifyPath(L"icon.ico"), KindImage);
    EXPECT_EQ(ClassifyPath(L"x.wbmp"), KindImage);
    EXPECT_EQ(ClassifyPath(L"camera.JFIF"), KindImage);
    EXPECT_EQ(FormatFromExtension(L"camera.JFIF"), CXIMAGE_FORMAT_JPG);
}

TEST(ClassifyPath, EverythingElseIsText) {
    for (const wchar_t* path : {L"notes.txt", L"noext", L"x.jfifx", L"x.webm",
                                L"ends.", L"C:\\pics.bmp\\readme", L"a.bmp b", L"", L"x.bmpx", L"x.bm"}) {
        EXPECT_EQ(ClassifyPath(path), KindText) << path;
    }
}

TEST(ClassifyPath, FoldsOnlyAsciiLetters) {
    // U+0130 (capital I with dot) must not fold into an ASCII letter.
    EXPECT_EQ(ClassifyPath(L"x.t\u0130f"), KindText);
}

}  // namespace
