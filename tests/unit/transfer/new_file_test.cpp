#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "transfer/name_dialogs.h"
#include "transfer/text_transfer.h"

namespace {

using qlry::test::FakeServices;

TEST(PasteToNewFile, WritesTheChosenNameWithoutAddingADot) {
    FakeServices fake;
    CTextTransfer transfer(fake.services);
    fake.clipboard.PutText(u"hello");
    fake.dialogs.chosen = {L"notes", L"md"};
    EXPECT_EQ(transfer.PasteToNewFile(L"C:\\dir"), kTransferOk);
    EXPECT_EQ(fake.files.files[L"C:\\dir\\notesmd"], "hello");
}

TEST(PasteToNewFile, EmptyNameWithExtensionIsAFile) {
    FakeServices fake;
    CTextTransfer transfer(fake.services);
    fake.clipboard.PutText(u"hello");
    fake.dialogs.chosen = {L"", L".txt"};
    EXPECT_EQ(transfer.PasteToNewFile(L"C:\\dir"), kTransferOk);
    EXPECT_EQ(fake.files.files.count(L"C:\\dir\\.txt"), 1u);
}

TEST(PasteToNewFile, CancelOrNothingChosenWritesNothing) {
    FakeServices fake;
    CTextTransfer transfer(fake.services);
    fake.clipboard.PutText(u"hello");
    fake.dialogs.answer = false;
    fake.dialogs.chosen = {L"a", L".txt"};
    EXPECT_EQ(transfer.PasteToNewFile(L"C:\\dir"), kTransferFailed);
    fake.dialogs.answer = true;
    fake.dialogs.chosen = {L"", L""};
    EXPECT_EQ(transfer.PasteToNewFile(L"C:\\dir"), kTransferFailed);
    EXPECT_TRUE(fake.files.files.empty());
}

}  // namespace
