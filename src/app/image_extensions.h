#pragma once
// The file-name extensions treated as images: the classifier's list and, in
// the same order, the entries of the image name dialog. Derived from the
// library's one extension table (ximage_extensions.h).
#include <array>

#include "ximage/ximage_extensions.h"

namespace detail {

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

}  // namespace detail

inline constexpr std::array<const wchar_t*, CxListedExtensionCount()> kImageExtensions =
    detail::ListedImageExtensions<CxListedExtensionCount()>();
static_assert(kImageExtensions.size() == 21 && detail::EveryPlaceFilled(kImageExtensions),
              "the image extension list has 21 places, each taken once");
