// The six rows of the menu table: which entries, where, with which ids, and
// the help text of each.
#include <string>
#include <vector>

#include "handler_fixture.h"

namespace qlry::test {
namespace {

struct ExpectedEntry {
    std::wstring text;
    int offset;  // -1 for the popup
    std::vector<std::pair<std::wstring, int>> popupItems;
};

struct MenuRow {
    const char* name;
    bool directory;
    int clipboard;  // 0 nothing, 1 text, 2 image
    std::vector<ExpectedEntry> entries;
    std::vector<int> kinds;  // per offset
    std::vector<std::wstring> help;  // per offset
};

std::vector<MenuRow> MenuRows() {
    return {
        {"FileNothing", false, 0, {{L"Copy File Contents to Clipboard", 0, {}}}, {CopyContents}, {kCopyHelp}},
        {"FileText",
         false,
         1,
         {{L"Paste Clipboard Text to File", -1, {{L"Overwrite", 1}, {L"Append", 2}}},
          {L"Copy File Contents to Clipboard", 0, {}}},
         {CopyContents, PasteOverwrite, PasteAppend},
         {kCopyHelp, kTextOverwriteHelp, kTextAppendHelp}},
        {"FileImage",
         false,
         2,
         {{L"Copy File Contents to Clipboard", 0, {}}, {L"Paste Clipboard Image to File", 1, {}}},
         {CopyContents, PasteOverwrite},
         {kCopyHelp, kImageOverwriteHelp}},
        {"DirectoryNothing", true, 0, {}, {}, {}},
        {"DirectoryText", true, 1, {{L"Paste Clipboard Text as File", 0, {}}}, {PasteAsNewFile}, {kTextNewHelp}},
        {"DirectoryImage", true, 2, {{L"Paste Clipboard Image as File", 0, {}}}, {PasteAsNewFile}, {kImageNewHelp}},
    };
}

void PrintTo(const MenuRow& row, std::ostream* out) { *out << row.name; }

class MenuTableTest : public HandlerTest, public ::testing::WithParamInterface<MenuRow> {};

TEST_P(MenuTableTest, InsertsTheRowsEntriesBetweenTheHostsOwn) {
    const MenuRow& row = GetParam();
    if (row.clipboard == 1) PutText();
    if (row.clipboard == 2) PutBitmap();
    ASSERT_EQ(kSOk, row.directory ? InitFolder(L"C:\\Data") : InitFile(L"C:\\Data\\notes.txt"));

    HResult result = Query();
    EXPECT_EQ(static_cast<HResult>(row.kinds.size()), result);
    ASSERT_EQ(row.kinds.size(), handler.CommandCount());
    for (size_t i = 0; i < row.kinds.size(); ++i) {
        EXPECT_EQ(row.kinds[i], handler.CommandKindAt(i)) << i;
        EXPECT_EQ(row.help[i], HelpW(i)) << i;
    }

    const auto& items = menu.Items(hostMenu);
    ASSERT_EQ(2 + row.entries.size(), items.size());
    EXPECT_EQ(L"Open", items.front().text);
    EXPECT_EQ(L"Properties", items.back().text);
    for (size_t i = 0; i < row.entries.size(); ++i) {
        const FakeMenuItem& item = items[1 + i];
        const ExpectedEntry& want = row.entries[i];
        EXPECT_EQ(want.text, item.text);
        if (want.offset >= 0) {
            EXPECT_EQ(kMfByPosition, item.flags);
            EXPECT_EQ(kIdFirst + want.offset, item.id);
            EXPECT_EQ(nullptr, item.popup);
        } else {
            EXPECT_EQ(kMfByPosition | kMfPopup, item.flags);
            ASSERT_NE(nullptr, item.popup);
            const auto& sub = menu.Items(item.popup);
            ASSERT_EQ(want.popupItems.size(), sub.size());
            for (size_t k = 0; k < sub.size(); ++k) {
                EXPECT_EQ(want.popupItems[k].first, sub[k].text);
                EXPECT_EQ(kIdFirst + want.popupItems[k].second, sub[k].id);
                EXPECT_EQ(kMfByPosition, sub[k].flags);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllRows, MenuTableTest, ::testing::ValuesIn(MenuRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HandlerTest, DefaultOnlyInsertsNothing) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(0, Query(kCmfDefaultOnly | 0x4));
    EXPECT_EQ(2u, menu.Items(hostMenu).size());
}

TEST_F(HandlerTest, TextWinsOverABitmap) {
    PutBitmap();
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.png"));
    EXPECT_EQ(KindText, handler.ClipboardKind());
    EXPECT_EQ(3, Query());
}

TEST_F(HandlerTest, SelectedDriveRootGetsOnlyTheNewFileEntry) {
    PutText();
    ASSERT_EQ(kSOk, InitFolder(L"D:\\"));
    EXPECT_EQ(1, Query());
    EXPECT_EQ(L"Paste Clipboard Text as File", menu.Items(hostMenu)[1].text);
}

TEST_F(HandlerTest, QueryAgainStartsTheCountAfresh) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(3, Query());
    EXPECT_EQ(3, Query());
    EXPECT_EQ(3u, handler.CommandCount());
}

TEST_F(HandlerTest, WithoutAPopupTheTextEntriesAreLeftOut) {
    PutText();
    menu.failCreatePopup = true;
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(1, Query());
    EXPECT_EQ(3u, menu.Items(hostMenu).size());
    EXPECT_EQ(L"Copy File Contents to Clipboard", menu.Items(hostMenu)[1].text);
}

TEST_F(HandlerTest, MenuIsBuiltWithoutTouchingTheRegistry) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    Query();
    EXPECT_EQ(0, registry.Calls());
    EXPECT_TRUE(shell.Launches().empty());
}

TEST_F(HandlerTest, ClipboardIsClosedAfterTheProbe) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(1, clipboard.OpenCount());
}

TEST_F(HandlerTest, ClipboardThatCannotBeOpenedHoldsNothing) {
    PutText();
    clipboard.failOpen = true;
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(KindNone, handler.ClipboardKind());
    EXPECT_EQ(1, Query());
}

// Some programs offer a picture only as "PNG"; the paste reads it, so the
// menu offers the image entries for it, without fetching its data.
TEST_F(HandlerTest, PngAloneIsOfferedAsAnImage) {
    const uint32_t png = clipboard.Registered(L"PNG");
    clipboard.Put(png, memory.Alloc(kGmemMoveable, 16));
    MenuForFile(L"C:\\Data\\logo.png", 2);
    EXPECT_EQ(L"Paste Clipboard Image to File", menu.Items(hostMenu)[2].text);
    EXPECT_EQ(kImageOverwriteHelp, HelpW(1));

    ASSERT_EQ(kSOk, InitBackground(L"C:\\Pictures"));
    ASSERT_EQ(1, Query());
    EXPECT_EQ(L"Paste Clipboard Image as File", menu.Items(hostMenu)[1].text);
    EXPECT_EQ(0, clipboard.GetCount(png));
    EXPECT_EQ(0, registry.Calls());
}

TEST_F(HandlerTest, OtherClipboardFormatsCountAsNothing) {
    clipboard.Put(2 /* CF_BITMAP */, memory.Alloc(kGmemMoveable, 4));
    clipboard.Put(1 /* CF_TEXT */, memory.Alloc(kGmemMoveable, 4));
    clipboard.Put(clipboard.Registered(L"PNG Image"), memory.Alloc(kGmemMoveable, 4));
    EXPECT_EQ(KindNone, handler.GetClipboardKind());
}

}  // namespace
}  // namespace qlry::test
