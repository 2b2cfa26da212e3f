#include <windows.h>

#include "app/win32/quillory_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CQuilloryApp app(instance);
    app.InitInstance();
    return 0;
}
