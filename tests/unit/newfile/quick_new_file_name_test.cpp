// Naming a new file without the dialog: the proposal, the numbering of
// taken names, and a whole quick paste through the transfer handlers.
#include <gtest/gtest.h>

#include "name_dialog_fixture.h"
#include "newfile/quick_new_file_name.h"
#include "transfer/image_transfer.h"
#include "transfer/text_transfer.h"
#include "ximage/ximage.h"

namespace qlry::test {
namespace {

struct QuickName : NameDialogFixture {
    QuickNameDialogs quick{services};
    const std::wstring stamp = L"20131105 143012";

    void Take(const std::wstring& name) { files.files[folder + L"\\" + name] = "taken"; }
    std::wstring QuickText() {
        NewFileName chosen;
        return quick.AskTextFileName(folder, chosen) ? chosen.name + chosen.ext : L"<none>";
    }
    std::wstring QuickImage() {
        NewFileName chosen;
        return quick.AskImageFileName(folder, chosen) ? chosen.name + chosen.ext : L"<none>";
    }
};

TEST_F(QuickName, ProposesTheTimeWithTheRememberedExtension) {
    EXPECT_EQ(QuickText(), stamp + L".txt");
    EXPECT_EQ(QuickImage(), stamp + L".bmp");
    profile.strings[{L"Settings", L"TextExtension"}] = L"  .md ";
    profile.ints[{L"Settings", L"ImageExtension"}] = 3;
    EXPECT_EQ(QuickText(), stamp + L".md");
    EXPECT_EQ(QuickImage(), stamp + L".png");
    // What the dialog would preselect: blank gives .txt, an unknown index .bmp.
    profile.strings[{L"Settings", L"TextExtension"}] = L"   ";
    profile.ints[{L"Settings", L"ImageExtension"}] = 99;
    EXPECT_EQ(QuickText(), stamp + L".txt");
    EXPECT_EQ(QuickImage(), stamp + L".bmp");
}

TEST_F(QuickName, RemembersNothingAndShowsNothing) {
    Take(stamp + L".txt");
    QuickText();
    EXPECT_TRUE(NothingRemembered());
    EXPECT_TRUE(warning.shown.empty());
}

TEST_F(QuickName, TakenNamesAreNumberedAsExplorerNumbersCopies) {
    Take(stamp + L".txt");
    EXPECT_EQ(QuickText(), stamp + L" (2).txt");
    Take(stamp + L" (2).txt");
    files.folders.insert(folder + L"\\" + stamp + L" (3).txt");  // a folder of that name counts too
    EXPECT_EQ(QuickText(), stamp + L" (4).txt");
    // Only the same extension is in the way.
    EXPECT_EQ(QuickImage(), stamp + L".bmp");
}

TEST_F(QuickName, AHandEditedExtensionCannotLeaveTheFolder) {
    profile.strings[{L"Settings", L"TextExtension"}] = L"\\..\\x.txt";
    EXPECT_EQ(QuickText(), stamp + L" .. x.txt");
}

TEST_F(QuickName, NamesTheRulesRefuseGiveNoFile) {
    profile.strings[{L"Settings", L"TextExtension"}] = L".txt.";  // Windows would drop the dot
    EXPECT_EQ(QuickText(), L"<none>");
    const std::wstring deep = L"C:\\" + std::wstring(240, L'd');
    NewFileName proposed{stamp, L".txt"};
    EXPECT_FALSE(FirstFreeName(deep, proposed, files).has_value());
}

TEST_F(QuickName, GivesUpWhenEveryNumberIsTaken) {
    NewFileName proposed{L"n", L".txt"};
    Take(L"n.txt");
    for (int number = 2; number <= kMaxCopyNumber; ++number) Take(L"n (" + std::to_wstring(number) + L").txt");
    EXPECT_FALSE(FirstFreeName(folder, proposed, files).has_value());
}

TEST_F(QuickName, QuickPasteWritesTextAndImageWithNoDialog) {
    FakeGlobalMemory memory;
    FakeClipboard clipboard{memory};
    FakeWaitCursor cursor;
    TransferServices transfer{clipboard, memory, files, cursor, profile, &quick};
    files.folders.insert(folder);

    clipboard.PutText(u"quick");
    Take(stamp + L".txt");
    CTextTransfer text(transfer);
    EXPECT_EQ(text.PasteToNewFile(folder), kTransferOk);
    EXPECT_EQ(files.files[folder + L"\\" + stamp + L" (2).txt"], "quick");
    EXPECT_EQ(files.files[folder + L"\\" + stamp + L".txt"], "taken");

    CxImage image(CXIMAGE_FORMAT_UNKNOWN);
    ASSERT_NE(image.Create(2, 2, 24, CXIMAGE_FORMAT_UNKNOWN), nullptr);
    clipboard.Remove(kCfUnicodeText);
    clipboard.Put(kCfDib, image.ExportDibHandle(memory));
    profile.ints[{L"Settings", L"ImageExtension"}] = 3;
    CImageTransfer picture(transfer);
    EXPECT_EQ(picture.PasteToNewFile(folder), kTransferOk);
    EXPECT_EQ(files.files[folder + L"\\" + stamp + L".png"].substr(1, 3), "PNG");
}

}  // namespace
}  // namespace qlry::test
