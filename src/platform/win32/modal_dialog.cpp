#include "platform/win32/modal_dialog.h"

#include <vector>

namespace qlry {

std::wstring ControlText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    std::vector<wchar_t> text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace qlry
