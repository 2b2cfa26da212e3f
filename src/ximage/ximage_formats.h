#pragma once
// Image format identifiers and the table from a file name's extension to them.
#include <cstdint>
#include <string>

inline constexpr uint32_t CXIMAGE_FORMAT_UNKNOWN = 0;  // decoding with 0 tries every codec
inline constexpr uint32_t CXIMAGE_FORMAT_BMP = 1;
inline constexpr uint32_t CXIMAGE_FORMAT_GIF = 2;
inline constexpr uint32_t CXIMAGE_FORMAT_JPG = 3;
inline constexpr uint32_t CXIMAGE_FORMAT_PNG = 4;
inline constexpr uint32_t CXIMAGE_FORMAT_ICO = 5;
inline constexpr uint32_t CXIMAGE_FORMAT_TIF = 6;
inline constexpr uint32_t CXIMAGE_FORMAT_TGA = 7;
inline constexpr uint32_t CXIMAGE_FORMAT_PCX = 8;
inline constexpr uint32_t CXIMAGE_FORMAT_WBMP = 9;
inline constexpr uint32_t CXIMAGE_FORMAT_WMF = 10;  // WMF and EMF, read only
inline constexpr uint32_t CXIMAGE_FORMAT_JP2 = 11;
inline constexpr uint32_t CXIMAGE_FORMAT_JPC = 12;
inline constexpr uint32_t CXIMAGE_FORMAT_PGX = 13;
inline constexpr uint32_t CXIMAGE_FORMAT_PNM = 14;
inline constexpr uint32_t CXIMAGE_FORMAT_RAS = 15;
inline constexpr uint32_t CXIMAGE_FORMAT_WEBP = 16;
inline constexpr uint32_t CXIMAGE_MAX_FORMAT = 16;  // identifiers above this are not formats

// The format a file name's extension names (".jpeg" -> CXIMAGE_FORMAT_JPG),
// CXIMAGE_FORMAT_UNKNOWN when the extension is unknown or missing. The
// extension is found as the Windows shell finds it: from the last dot of the
// file name, a space or a backslash after the dot cancelling it; the
// comparison ignores ASCII case. Only the last extension counts (".tar.gz").
uint32_t FormatFromExtension(const std::wstring& path);
