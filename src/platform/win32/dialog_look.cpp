#include "platform/win32/dialog_look.h"

#include <windows.h>
#include <commctrl.h>

namespace qlry {

void SelectDialogLook() {
    static bool selected = false;  // the program has one thread
    if (selected) return;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    selected = true;
}

}  // namespace qlry
