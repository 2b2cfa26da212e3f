#pragma once
// The extensions the text name dialog offers, in list order.
#include <array>

inline constexpr std::array<const wchar_t*, 8> kTextExtensions = {
    L".txt", L".log", L".htm", L".html", L".xml", L".cpp", L".c", L".h",
};
