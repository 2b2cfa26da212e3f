// Templates 201 and 205 of Quillory.exe: caption, size, font, controls in tab
// order with their ids, styles and places, read from dialogs made in this
// process from the program's own resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/support/win_test_support.h"
#include "win/newfile/name_dialog_driver.h"

namespace {

using namespace qlry::wintest;

struct ExpectedControl {
    const wchar_t* kind;
    int id;
    const wchar_t* text;
    RECT place;  // left, top, width, height in dialog units
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

INT_PTR CALLBACK Passive(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct NameTemplate : ::testing::TestWithParam<int> {
    HMODULE program = nullptr;
    HWND dialog = nullptr;

    void SetUp() override {
        program = ::LoadLibraryExW((BinFolder() + L"\\Quillory.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr);
        dialog = ::CreateDialogParamW(program, MAKEINTRESOURCEW(GetParam()), nullptr, Passive, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override {
        if (dialog) ::DestroyWindow(dialog);
        if (program) ::FreeLibrary(program);
    }
    // Pixels of {x, y, width, height} in dialog units.
    RECT DialogUnits(RECT place) {
        ::MapDialogRect(dialog, &place);
        return place;
    }
    RECT ClientPlace(HWND control) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

TEST_P(NameTemplate, CaptionSizeFontAndFrame) {
    EXPECT_EQ(TextOf(dialog), kNameDialogCaption);
    RECT client{};
    ::GetClientRect(dialog, &client);
    const RECT expected = DialogUnits({0, 0, 250, 69});  // width and height
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);

    LOGFONTW font{};
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
    ::ReleaseDC(nullptr, screen);

    const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

TEST_P(NameTemplate, ControlsInTabOrderWithTheirIdsAndPlaces) {
    const std::vector<ExpectedControl> expected = {
        {L"Static", -1, L"File Name:", {7, 7, 34, 8}},   {L"Edit", 1055, L"", {7, 17, 182, 13}},
        {L"Static", -1, L"Extension:", {193, 7, 35, 8}}, {L"ComboBox", 1056, nullptr, {193, 17, 50, 30}},
        {L"Button", IDOK, L"OK", {139, 48, 50, 14}},     {L"Button", IDCANCEL, L"Cancel", {193, 48, 50, 14}},
    };
    HWND control = ::GetWindow(dialog, GW_CHILD);
    for (const ExpectedControl& want : expected) {
        ASSERT_NE(control, nullptr) << "missing control " << want.id;
        EXPECT_EQ(ClassOf(control), want.kind);
        EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(control)), static_cast<WORD>(want.id));
        if (want.text) {
            EXPECT_EQ(TextOf(control), want.text);
        }
        // Position and size convert to pixels each on its own.
        const RECT place = ClientPlace(control);
        const RECT units = DialogUnits(want.place);
        EXPECT_EQ(place.left, units.left) << want.id;
        EXPECT_EQ(place.top, units.top) << want.id;
        EXPECT_EQ(place.right - place.left, units.right) << want.id;
        // A combo box's window is its closed height; the template's is the list's.
        if (want.id != 1056) {
            EXPECT_EQ(place.bottom - place.top, units.bottom) << want.id;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "more controls than the template has";
}

TEST_P(NameTemplate, StylesOfTheFieldsAndButtons) {
    const LONG edit = ::GetWindowLongW(::GetDlgItem(dialog, 1055), GWL_STYLE);
    // The dialog manager draws a bordered edit field with a sunken edge.
    const LONG editEdge = ::GetWindowLongW(::GetDlgItem(dialog, 1055), GWL_EXSTYLE);
    EXPECT_TRUE((edit & WS_BORDER) || (editEdge & WS_EX_CLIENTEDGE));
    EXPECT_TRUE(edit & ES_AUTOHSCROLL);
    EXPECT_TRUE(edit & WS_TABSTOP);

    const LONG combo = ::GetWindowLongW(::GetDlgItem(dialog, 1056), GWL_STYLE);
    const LONG kind = GetParam() == 201 ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
    EXPECT_EQ(combo & 3, kind);
    EXPECT_FALSE(combo & CBS_SORT);
    EXPECT_TRUE(combo & WS_TABSTOP);

    EXPECT_EQ(::GetWindowLongW(::GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(::GetWindowLongW(::GetDlgItem(dialog, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(LOWORD(::SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);

    // Tab reaches the name, the extension, OK and Cancel, in that order.
    std::vector<int> order;
    HWND at = ::GetDlgItem(dialog, IDCANCEL);
    for (int i = 0; i < 4; ++i) {
        at = ::GetNextDlgTabItem(dialog, at, FALSE);
        order.push_back(::GetDlgCtrlID(at));
    }
    EXPECT_EQ(order, (std::vector<int>{1055, 1056, IDOK, IDCANCEL}));
}

INSTANTIATE_TEST_SUITE_P(ImageAndText, NameTemplate, ::testing::Values(201, 205));

}  // namespace
