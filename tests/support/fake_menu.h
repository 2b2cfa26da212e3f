#pragma once
// Menus in memory: each insertion is recorded at its position, as
// InsertMenuW by position places it.
#include <map>
#include <string>
#include <vector>

#include "platform/menu.h"

namespace qlry::test {

struct FakeMenuItem {
    std::wstring text;
    uint32_t flags = 0;
    uintptr_t id = 0;       // the command id, or the popup's handle
    HMenu popup = nullptr;  // set for popups
};

class FakeMenu : public Menu {
public:
    bool failCreatePopup = false;

    HMenu CreatePopupMenu() override;
    bool InsertMenu(HMenu menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup, const wchar_t* text) override;

    // A menu as Explorer hands it over, already holding `existing` entries.
    HMenu NewMenu(const std::vector<std::wstring>& existing = {});
    const std::vector<FakeMenuItem>& Items(HMenu menu) const { return m_menus.at(menu); }
    size_t MenuCount() const { return m_menus.size(); }

private:
    std::map<HMenu, std::vector<FakeMenuItem>> m_menus;
    uintptr_t m_next = 0x100;
};

}  // namespace qlry::test
