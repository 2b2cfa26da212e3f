#pragma once
// Menus, shaped after CreatePopupMenu / InsertMenuW.
#include <cstdint>

namespace qlry {

using HMenu = void*;

inline constexpr uint32_t kMfString = 0x0000;
inline constexpr uint32_t kMfPopup = 0x0010;
inline constexpr uint32_t kMfByPosition = 0x0400;
inline constexpr uint32_t kMenuAppend = 0xFFFFFFFF;  // a position past the end

class Menu {
public:
    virtual ~Menu() = default;
    virtual HMenu CreatePopupMenu() = 0;  // null on failure
    // With kMfPopup, `idOrPopup` is the popup's handle, else the command id.
    virtual bool InsertMenu(HMenu menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup,
                            const wchar_t* text) = 0;
};

Menu& SystemMenu();

}  // namespace qlry
