#include "about/ui_resources.h"

#include <cwchar>

namespace {

constexpr int kIdcHandCursor = 800;

}  // namespace

LOGFONTW CUiResources::BaseFont() {
    LOGFONTW font{};
    HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
    if (!stock) stock = ::GetStockObject(SYSTEM_FONT);
    ::GetObjectW(stock, sizeof(font), &font);
    if (std::wcscmp(font.lfFaceName, L"Tahoma") != 0) {
        ::wcsncpy(font.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
        font.lfFaceName[LF_FACESIZE - 1] = L'\0';
        font.lfHeight = -11;
    }
    return font;
}

CUiResources::CUiResources(HINSTANCE instance) {
    const LOGFONTW base = BaseFont();

    LOGFONTW link = base;
    link.lfUnderline = TRUE;
    m_hLinkFont = ::CreateFontIndirectW(&link);

    LOGFONTW title = base;
    title.lfWeight = FW_BOLD;
    title.lfHeight += title.lfHeight / 3;  // integer division: -11 becomes -14
    m_hTitleFont = ::CreateFontIndirectW(&title);

    m_hHandCursor = ::LoadCursorW(instance, MAKEINTRESOURCEW(kIdcHandCursor));
}

CUiResources::~CUiResources() {
    if (m_hLinkFont) ::DeleteObject(m_hLinkFont);
    if (m_hTitleFont) ::DeleteObject(m_hTitleFont);
    if (m_hHandCursor) ::DestroyCursor(m_hHandCursor);
}
