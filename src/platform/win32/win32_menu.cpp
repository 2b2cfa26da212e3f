#include <windows.h>

#include "platform/menu.h"

namespace qlry {

namespace {

class Win32Menu : public Menu {
public:
    HMenu CreatePopupMenu() override { return ::CreatePopupMenu(); }

    bool InsertMenu(HMenu menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup, const wchar_t* text) override {
        return ::InsertMenuW(static_cast<HMENU>(menu), position, flags, idOrPopup, text) != FALSE;
    }
};

}  // namespace

Menu& SystemMenu() {
    static Win32Menu menu;
    return menu;
}

}  // namespace qlry
