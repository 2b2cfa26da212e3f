#pragma once
// The application object: one per process, runs one operation per start.
#include <memory>
#include <string>

#include "about/ui_resources.h"

class CQuilloryApp {
public:
    explicit CQuilloryApp(void* instance);

    // Runs start-up; returns false, so that no message loop follows.
    bool InitInstance();

    const std::wstring& AppTitle() const { return m_strAppTitle; }

private:
    void* m_hInstance;
    std::wstring m_strAppTitle;
    std::unique_ptr<CUiResources> m_pUiResources;
};
