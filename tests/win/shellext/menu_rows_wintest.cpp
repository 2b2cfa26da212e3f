// Every row of the menu table through the real COM path: machine-wide
// registration, CoCreateInstance, a real CF_HDROP data object or folder id,
// a real popup menu read back with GetMenuItemInfoW, the real clipboard.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "QLRY_WS.h"
#include "explorer_host/selection.h"
#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

constexpr UINT kFirst = 100;

struct Entry {
    std::wstring text;
    UINT id = 0;  // 0 for a popup
    std::vector<Entry> popup;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << Utf8(entry.text) << "#" << entry.id;
    if (!entry.popup.empty()) {
        *out << "{";
        for (const auto& item : entry.popup) PrintTo(item, out), *out << ";";
        *out << "}";
    }
}

std::vector<Entry> ReadMenu(HMENU menu) {
    std::vector<Entry> entries;
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 255;
        EXPECT_TRUE(::GetMenuItemInfoW(menu, position, TRUE, &info));
        Entry entry{text, info.hSubMenu ? 0 : info.wID, {}};
        if (info.hSubMenu) entry.popup = ReadMenu(info.hSubMenu);
        entries.push_back(entry);
    }
    return entries;
}

class MenuRowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(0, Regsvr32(L""));
        folder = MakeTempFolder(L"menu-rows");
        file = folder + L"\\notes.txt";
        WriteFileBytes(file, "hello");
    }
    static void TearDownTestSuite() { Regsvr32(L"/u"); }

    void SetUp() override {
        ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_MyContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                           reinterpret_cast<void**>(&handler)));
        ASSERT_EQ(S_OK, handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)));
        menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, 1, L"Open");
        ::AppendMenuW(menu, MF_STRING, 2, L"Properties");
    }
    void TearDown() override {
        ::DestroyMenu(menu);
        if (init) init->Release();
        if (handler) handler->Release();
    }

    void Clipboard(int kind) {
        // A "PNG" alone, as some programs offer a picture: only the format counts.
        if (kind == 3) {
            ASSERT_TRUE(PutClipboardRegistered(L"PNG", "\x89PNG\r\n\x1A\n"));
            return;
        }
        std::wstring text = L"clip text";
        ASSERT_TRUE(PutClipboard(kind == 1 ? &text : nullptr, kind == 2 ? 4 : 0, 4, RGB(10, 20, 30)));
    }

    HRESULT InitItems(std::vector<std::wstring> paths) {
        Selection selection;
        HRESULT result = selection.SelectItems(paths);
        return FAILED(result) ? result : selection.InitializeHandler(init);
    }
    HRESULT InitBackground(const std::wstring& path) {
        Selection selection;
        HRESULT result = selection.SelectBackground(path);
        return FAILED(result) ? result : selection.InitializeHandler(init);
    }

    std::vector<Entry> Build(HRESULT expectedCount) {
        EXPECT_EQ(expectedCount, handler->QueryContextMenu(menu, 1, kFirst, 0x7FFF, CMF_NORMAL));
        return ReadMenu(menu);
    }

    std::wstring Help(UINT offset, UINT type = GCS_HELPTEXTW, UINT cchMax = 200) {
        wchar_t wide[200] = {};
        char narrow[200] = {};
        HRESULT result = handler->GetCommandString(
            offset, type, nullptr, type == GCS_HELPTEXTW ? reinterpret_cast<char*>(wide) : narrow, cchMax);
        if (FAILED(result)) return L"<failed>";
        return type == GCS_HELPTEXTW ? std::wstring(wide) : std::wstring(narrow, narrow + strlen(narrow));
    }

    static inline std::wstring folder, file;
    IContextMenu* handler = nullptr;
    IShellExtInit* init = nullptr;
    HMENU menu = nullptr;
    const Entry open{L"Open", 1, {}};
    const Entry properties{L"Properties", 2, {}};
};

// One row of the menu table: the clipboard, what is selected, the entries
// between the host's own two, and the help text of each offset.
struct MenuRow {
    const char* name;
    int clipboard;  // 0 nothing, 1 text, 2 image (a bitmap), 3 a "PNG" alone
    enum { File, Folder, DriveRootBackground } target;
    std::vector<Entry> entries;
    std::vector<std::wstring> help;
};

void PrintTo(const MenuRow& row, std::ostream* out) { *out << row.name; }

const std::wstring kCopyHelp = L"Copy the contents of the selected file to your clipboard.";
const std::wstring kTextNewHelp = L"Create a new file, and paste the text on your clipboard to the file.";

std::vector<MenuRow> MenuRows() {
    const Entry copy{L"Copy File Contents to Clipboard", kFirst, {}};
    const Entry textNew{L"Paste Clipboard Text as File", kFirst, {}};
    return {
        {"FileWithNothingUsable", 0, MenuRow::File, {copy}, {kCopyHelp}},
        {"FileWithText", 1, MenuRow::File,
         {{L"Paste Clipboard Text to File", 0, {{L"Overwrite", kFirst + 1, {}}, {L"Append", kFirst + 2, {}}}}, copy},
         {kCopyHelp, L"Paste the text on your clipboard to the selected file, overwrite the file.",
          L"Paste the text on your clipboard to the selected file, append the file."}},
        {"FileWithImage", 2, MenuRow::File, {copy, {L"Paste Clipboard Image to File", kFirst + 1, {}}},
         {kCopyHelp, L"Paste the image on your clipboard to the selected file, overwrite the file."}},
        {"DirectoryWithNothingUsable", 0, MenuRow::Folder, {}, {}},
        {"DirectoryWithText", 1, MenuRow::Folder, {textNew}, {kTextNewHelp}},
        {"DirectoryWithImage", 2, MenuRow::Folder, {{L"Paste Clipboard Image as File", kFirst, {}}},
         {L"Create a new file, and paste the image on your clipboard to the file."}},
        {"DriveRootBackgroundWithText", 1, MenuRow::DriveRootBackground, {textNew}, {kTextNewHelp}},
        {"FileWithPngAlone", 3, MenuRow::File, {copy, {L"Paste Clipboard Image to File", kFirst + 1, {}}},
         {kCopyHelp, L"Paste the image on your clipboard to the selected file, overwrite the file."}},
        {"DriveRootBackgroundWithPngAlone", 3, MenuRow::DriveRootBackground,
         {{L"Paste Clipboard Image as File", kFirst, {}}},
         {L"Create a new file, and paste the image on your clipboard to the file."}},
    };
}

class MenuRowTable : public MenuRowsTest, public ::testing::WithParamInterface<MenuRow> {};

TEST_P(MenuRowTable, EntriesBetweenTheHostsOwnAndTheirHelp) {
    const MenuRow& row = GetParam();
    Clipboard(row.clipboard);
    ASSERT_EQ(S_OK, row.target == MenuRow::File     ? InitItems({file})
                    : row.target == MenuRow::Folder ? InitItems({folder})
                                                    : InitBackground(L"C:\\"));
    std::vector<Entry> expected{open};
    expected.insert(expected.end(), row.entries.begin(), row.entries.end());
    expected.push_back(properties);
    EXPECT_EQ(expected, Build(static_cast<HRESULT>(row.help.size())));
    for (UINT offset = 0; offset < row.help.size(); ++offset) EXPECT_EQ(row.help[offset], Help(offset)) << offset;
}

INSTANTIATE_TEST_SUITE_P(AllRows, MenuRowTable, ::testing::ValuesIn(MenuRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuRowsTest, BackgroundWithNothingUsableIsRefused) {
    Clipboard(0);
    EXPECT_EQ(E_INVALIDARG, InitBackground(folder));
}

TEST_F(MenuRowsTest, DefaultOnlyAddsNothing) {
    Clipboard(1);
    ASSERT_EQ(S_OK, InitItems({file}));
    EXPECT_EQ(S_OK, handler->QueryContextMenu(menu, 1, kFirst, 0x7FFF, CMF_DEFAULTONLY));
    EXPECT_EQ(2, ::GetMenuItemCount(menu));
}

TEST_F(MenuRowsTest, AnsiHelpCutAtCchMax) {
    Clipboard(0);
    ASSERT_EQ(S_OK, InitItems({file}));
    Build(1);
    EXPECT_EQ(kCopyHelp, Help(0, GCS_HELPTEXTA));
    EXPECT_EQ(L"Copy", Help(0, GCS_HELPTEXTA, 5));
    EXPECT_EQ(L"Copy", Help(0, GCS_HELPTEXTW, 5));
    EXPECT_EQ(L"<failed>", Help(1));
    EXPECT_EQ(L"<failed>", Help(0, GCS_VERBW));
}

TEST_F(MenuRowsTest, VerbStringAndBadOffsetAreRefused) {
    Clipboard(0);
    ASSERT_EQ(S_OK, InitItems({file}));
    Build(1);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(&info));
    info.lpVerb = MAKEINTRESOURCEA(1);
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(&info));
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(nullptr));
}

TEST_F(MenuRowsTest, NothingStartsWithoutAppFolder) {
    Clipboard(0);
    AppFolderScope noProgram(L"C:\\no\\such\\folder");
    ASSERT_EQ(S_OK, InitItems({file}));
    Build(1);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(S_OK, handler->InvokeCommand(&info));
}

}  // namespace
}  // namespace qlry::wintest
