#include "newfile/win32/name_window.h"


#include "resource.h"
#include "newfile/dialog_init_data.h"

namespace qlry {

namespace {

std::wstring WidenAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

bool FillListsFromInitData(HWND dialog, HINSTANCE instance, int templateId) {
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(kDialogInitResourceType));
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(instance, found);
    const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data) return false;
    const auto records = ParseDialogInitData(data, ::SizeofResource(instance, found));
    if (!records) return false;
    for (const DialogInitRecord& record : *records) {
        if (record.message != kInitComboAddString) continue;
        ::SendDlgItemMessageW(dialog, record.controlId, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(WidenAnsi(record.Text()).c_str()));
    }
    return true;
}

void ProposeName(HWND dialog, const std::wstring& name) {
    HWND field = ::GetDlgItem(dialog, IDC_FILE_NAME);
    ::SetWindowTextW(field, name.c_str());
    ::SetFocus(field);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
}

void RefocusName(HWND dialog) {
    // The dialog manager's own focus move selects an edit field's text.
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDC_FILE_NAME)), TRUE);
}

}  // namespace qlry
