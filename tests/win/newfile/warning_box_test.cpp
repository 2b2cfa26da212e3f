// The message box adapter of the name dialogs, shown in this process and read
// by a second thread.
#include <gtest/gtest.h>

#include <thread>

#include "newfile/win32/win32_dialog_ports.h"
#include "win/newfile/name_dialog_driver.h"

namespace {

using namespace qlry::wintest;

constexpr wchar_t kCaption[] = L"Quillory warning test";

HWND WaitForBox() {
    for (int i = 0; i < 500; ++i) {
        HWND box = ::FindWindowW(L"#32770", kCaption);
        if (box && ::IsWindowVisible(box)) return box;
        ::Sleep(20);
    }
    return nullptr;
}

TEST(Win32WarningBox, ShowsTheTextWithOkAWarningIconAndTheCaptionModalToItsOwner) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    MessageBoxContent seen;
    bool ownerDisabled = false;
    std::thread reader([&] {
        HWND box = WaitForBox();
        if (!box) return;
        seen = ReadMessageBox(box);
        ownerDisabled = !::IsWindowEnabled(owner);
        ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    const std::wstring caption = kCaption;
    qlry::Win32WarningBox warning(owner, caption);
    warning.Show(L"first line\nsecond line");
    reader.join();
    ::DestroyWindow(owner);

    EXPECT_EQ(seen.caption, kCaption);
    EXPECT_EQ(seen.text, L"first line\nsecond line");
    EXPECT_EQ(seen.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(seen.warningIcon);
    EXPECT_TRUE(ownerDisabled);
}

}  // namespace
