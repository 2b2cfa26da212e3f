#pragma once
// The one table of image file-name extensions. Each row says which format
// an extension names, whether the library's extension table knows it
// (FormatFromExtension), and its place in the image extension list, the
// entries of the image name dialog in their order (-1: not in the list).
// A copy treats a file as an image when any row names its extension.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ximage/ximage_formats.h"

struct CxExtensionRow {
    std::wstring_view extension;  // lower case, dot included
    uint32_t format;
    bool named;   // a row of FormatFromExtension's table
    int listed;   // position in the image extension list, or -1
};

// FormatFromExtension's rows come first, in the order it compares them.
inline constexpr CxExtensionRow kCxExtensionTable[] = {
    {L".bmp", CXIMAGE_FORMAT_BMP, true, 0},    {L".jpg", CXIMAGE_FORMAT_JPG, true, 1},
    {L".jpeg", CXIMAGE_FORMAT_JPG, true, -1},  {L".gif", CXIMAGE_FORMAT_GIF, true, 2},
    {L".png", CXIMAGE_FORMAT_PNG, true, 3},    {L".ico", CXIMAGE_FORMAT_ICO, true, -1},
    {L".tiff", CXIMAGE_FORMAT_TIF, true, -1},  {L".tif", CXIMAGE_FORMAT_TIF, true, 18},
    {L".tga", CXIMAGE_FORMAT_TGA, true, 17},   {L".pcx", CXIMAGE_FORMAT_PCX, true, 11},
    {L".wbmp", CXIMAGE_FORMAT_WBMP, true, -1}, {L".wmf", CXIMAGE_FORMAT_WMF, true, 20},
    {L".emf", CXIMAGE_FORMAT_WMF, true, 4},    {L".jp2", CXIMAGE_FORMAT_JP2, true, 8},
    {L".j2k", CXIMAGE_FORMAT_JP2, true, 6},    {L".jpc", CXIMAGE_FORMAT_JPC, true, 9},
    {L".j2c", CXIMAGE_FORMAT_JPC, true, 5},    {L".pgx", CXIMAGE_FORMAT_PGX, true, 13},
    {L".ras", CXIMAGE_FORMAT_RAS, true, 16},   {L".pnm", CXIMAGE_FORMAT_PNM, true, 14},
    {L".pgm", CXIMAGE_FORMAT_PNM, true, 12},   {L".ppm", CXIMAGE_FORMAT_PNM, true, 15},
    {L".jfif", CXIMAGE_FORMAT_JPG, true, -1},
    // Added after the first 21 places, so that a remembered place keeps its meaning.
    {L".webp", CXIMAGE_FORMAT_WEBP, true, 21},
    // In the list only: a paste to these still writes the format they stand for.
    {L".jfi", CXIMAGE_FORMAT_JPG, false, 7},   {L".jpe", CXIMAGE_FORMAT_JPG, false, 10},
    {L".wbm", CXIMAGE_FORMAT_WBMP, false, 19},
};

inline constexpr size_t CxListedExtensionCount() {
    size_t count = 0;
    for (const CxExtensionRow& row : kCxExtensionTable) count += row.listed >= 0 ? 1 : 0;
    return count;
}

namespace cximage::detail {

template <size_t N>
constexpr std::array<const wchar_t*, N> ListedImageExtensions() {
    std::array<const wchar_t*, N> list{};
    for (const CxExtensionRow& row : kCxExtensionTable)
        if (row.listed >= 0) list[static_cast<size_t>(row.listed)] = row.extension.data();
    return list;
}

constexpr bool EveryPlaceFilled(const auto& list) {
    for (const wchar_t* entry : list)
        if (!entry) return false;
    return true;
}

}  // namespace cximage::detail

// The image extension list, in its order: the entries of the image name
// dialog.
inline constexpr std::array<const wchar_t*, CxListedExtensionCount()> kImageExtensions =
    cximage::detail::ListedImageExtensions<CxListedExtensionCount()>();
static_assert(kImageExtensions.size() == 22 && cximage::detail::EveryPlaceFilled(kImageExtensions),
              "the image extension list has 22 places, each taken once");
