// Initialize: the path from a selection or a folder background, and the
// cases that leave Explorer with no entries.
#include "handler_fixture.h"

namespace qlry::test {
namespace {

TEST_F(HandlerTest, SelectionRecordsTheFirstNameAndReleasesTheList) {
    PutText();
    EXPECT_EQ(kSOk, InitSelection({L"C:\\one.txt", L"C:\\two.txt"}));
    EXPECT_EQ(L"C:\\one.txt", std::wstring(handler.Path()));
    EXPECT_EQ(KindText, handler.ClipboardKind());
    EXPECT_EQ(1, shell.DropListsMade());
    EXPECT_EQ(0, shell.DropListsOpen());
}

TEST_F(HandlerTest, DataObjectWithoutHdropIsRefused) {
    selection.hasHdrop = false;
    EXPECT_EQ(kEInvalidArg, handler.Initialize(nullptr, &selection));
}

TEST_F(HandlerTest, NeitherFolderNorDataObjectIsRefused) {
    EXPECT_EQ(kEInvalidArg, handler.Initialize(nullptr, nullptr));
}

TEST_F(HandlerTest, EmptyDropListSucceedsAndKeepsThePath) {
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(kSOk, InitSelection({}));
    EXPECT_EQ(L"C:\\a.txt", std::wstring(handler.Path()));
    EXPECT_EQ(0, shell.DropListsOpen());
}

TEST_F(HandlerTest, DataObjectWinsOverAFolderId) {
    folderId.path = L"C:\\Folder";
    selection.files = {L"C:\\Folder\\item.txt"};
    EXPECT_EQ(kSOk, handler.Initialize(&folderId, &selection));
    EXPECT_EQ(L"C:\\Folder\\item.txt", std::wstring(handler.Path()));
}

TEST_F(HandlerTest, BackgroundWithContentRecordsTheFolder) {
    PutBitmap();
    EXPECT_EQ(kSOk, InitBackground(L"C:\\Pictures"));
    EXPECT_EQ(L"C:\\Pictures", std::wstring(handler.Path()));
    EXPECT_EQ(KindImage, handler.ClipboardKind());
}

TEST_F(HandlerTest, BackgroundWithEmptyClipboardIsRefused) {
    EXPECT_EQ(kEInvalidArg, InitBackground(L"C:\\Pictures"));
    EXPECT_EQ(L"", std::wstring(handler.Path()));
}

TEST_F(HandlerTest, BackgroundWithoutFileSystemPathIsRefused) {
    PutText();
    folderId.hasPath = false;
    EXPECT_EQ(kEInvalidArg, handler.Initialize(&folderId, nullptr));
}

TEST_F(HandlerTest, ClipboardIsProbedAgainOnEveryInitialize) {
    PutText();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(KindText, handler.ClipboardKind());
    ASSERT_TRUE(clipboard.Open());
    clipboard.Empty();
    clipboard.Close();
    ASSERT_EQ(kSOk, InitFile(L"C:\\a.txt"));
    EXPECT_EQ(KindNone, handler.ClipboardKind());
    EXPECT_EQ(1, Query());
}

TEST_F(HandlerTest, OverlongSelectedNameIsCutToTheBuffer) {
    std::wstring name = L"C:\\" + std::wstring(3000, L'n');
    ASSERT_EQ(kSOk, InitFile(name));
    EXPECT_EQ(name.substr(0, 1023), std::wstring(handler.Path()));
}

TEST_F(HandlerTest, InitializeReadsNoRegistry) {
    PutText();
    InitFile(L"C:\\a.txt");
    InitBackground(L"C:\\");
    EXPECT_EQ(0, registry.Calls());
}

}  // namespace
}  // namespace qlry::test
