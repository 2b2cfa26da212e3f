#include "menu_dump.h"

#include <cwchar>

namespace {

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[512] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 511;
    if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return L"<unreadable>";
    return text;
}

std::wstring HelpText(IContextMenu* handler, UINT offset) {
    wchar_t help[256] = {};
    HRESULT result = handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(help), 256);
    if (FAILED(result)) {
        wchar_t code[32];
        swprintf(code, 32, L"<0x%08lX>", static_cast<unsigned long>(result));
        return code;
    }
    return help;
}

}  // namespace

std::wstring DescribeMenu(HMENU menu, IContextMenu* handler, const std::wstring& indent) {
    std::wstring out;
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        ::GetMenuItemInfoW(menu, position, TRUE, &info);
        std::wstring text = ItemText(menu, position);
        out += indent + L"[" + std::to_wstring(position) + L"] ";
        if (info.hSubMenu) {
            out += L"popup \"" + text + L"\"\n";
            out += DescribeMenu(info.hSubMenu, handler, indent + L"  ");
        } else if (info.wID >= kFirstCommandId) {
            UINT offset = info.wID - kFirstCommandId;
            out += L"id=" + std::to_wstring(info.wID) + L" offset=" + std::to_wstring(offset) + L" \"" + text +
                   L"\" help=\"" + HelpText(handler, offset) + L"\"\n";
        } else {
            out += L"id=" + std::to_wstring(info.wID) + L" \"" + text + L"\" (host)\n";
        }
    }
    return out;
}

UINT FindCommand(HMENU menu, const std::wstring& text) {
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        if (info.hSubMenu) {
            if (UINT id = FindCommand(info.hSubMenu, text)) return id;
        } else if (ItemText(menu, position) == text) {
            return info.wID;
        }
    }
    return 0;
}
