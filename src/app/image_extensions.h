#pragma once
// The file-name extensions treated as images: the classifier's list and, in
// the same order, the entries of the image name dialog.
#include <array>

inline constexpr std::array<const wchar_t*, 21> kImageExtensions = {
    L".bmp", L".jpg", L".gif", L".png", L".emf", L".j2c", L".j2k", L".jfi", L".jp2", L".jpc", L".jpe",
    L".pcx", L".pgm", L".pgx", L".pnm", L".ppm", L".ras", L".tga", L".tif", L".wbm", L".wmf",
};
