#include "support/fake_menu.h"

namespace qlry::test {

HMenu FakeMenu::CreatePopupMenu() {
    if (failCreatePopup) return nullptr;
    return NewMenu();
}

HMenu FakeMenu::NewMenu(const std::vector<std::wstring>& existing) {
    HMenu menu = reinterpret_cast<HMenu>(m_next++);
    auto& items = m_menus[menu];
    for (const auto& text : existing) items.push_back({text, kMfString, 0, nullptr});
    return menu;
}

bool FakeMenu::InsertMenu(HMenu menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup, const wchar_t* text) {
    auto found = m_menus.find(menu);
    if (found == m_menus.end() || !(flags & kMfByPosition)) return false;
    auto& items = found->second;
    FakeMenuItem item{text ? text : L"", flags, idOrPopup, nullptr};
    if (flags & kMfPopup) {
        item.popup = reinterpret_cast<HMenu>(idOrPopup);
        if (!m_menus.count(item.popup)) return false;
    }
    // A position past the end appends.
    size_t at = position < items.size() ? position : items.size();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), item);
    return true;
}

}  // namespace qlry::test
