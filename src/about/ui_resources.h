#pragma once
// Fonts and cursor shared by the About box's controls; they live as long as
// the application object.
#include <windows.h>

class CUiResources {
public:
    explicit CUiResources(HINSTANCE instance);
    ~CUiResources();
    CUiResources(const CUiResources&) = delete;
    CUiResources& operator=(const CUiResources&) = delete;

    HFONT LinkFont() const { return m_hLinkFont; }
    HFONT TitleFont() const { return m_hTitleFont; }
    HCURSOR HandCursor() const { return m_hHandCursor; }

    // The base font: the stock GUI font, made Tahoma at 11 pixels when it is not.
    static LOGFONTW BaseFont();

private:
    HFONT m_hLinkFont = nullptr;
    HFONT m_hTitleFont = nullptr;
    HCURSOR m_hHandCursor = nullptr;
};
