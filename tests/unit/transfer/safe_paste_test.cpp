// A paste never loses or half-writes the user's file: every way a write can
// fail leaves the target's bytes and attributes as they were and no
// temporary file behind.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/safe_write.h"
#include "support/fake_services.h"
#include "transfer/image_transfer.h"
#include "transfer/text_transfer.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FakeFileSystem;
using qlry::test::FakeServices;

const std::wstring kFolder = L"C:\\dir";
const std::string kOld = "the user's old bytes";
constexpr uint32_t kArchive = 0x20;

struct Fault {
    const char* name;
    std::function<void(FakeFileSystem&, const std::wstring& target)> arrange;
};

const Fault kFaults[] = {
    {"DiskFullHalfWay", [](FakeFileSystem& f, const std::wstring&) { f.diskSpace = 5; }},
    {"FailedFlush", [](FakeFileSystem& f, const std::wstring&) { f.failFlush = true; }},
    {"FailedClose", [](FakeFileSystem& f, const std::wstring&) { f.failClose = true; }},
    {"FailedReplace", [](FakeFileSystem& f, const std::wstring&) { f.failReplace = true; }},
    {"ReadOnlyTarget", [](FakeFileSystem& f, const std::wstring& t) { f.readOnly.insert(t); }},
    {"HeldOpenWithoutSharing", [](FakeFileSystem& f, const std::wstring& t) { f.locked.insert(t); }},
    {"FolderWithoutWritePermission", [](FakeFileSystem& f, const std::wstring&) { f.closedFolders.insert(kFolder); }},
};

enum class Kind { Text, Image };

struct SafePaste : ::testing::TestWithParam<std::tuple<Kind, Fault>> {
    FakeServices fake;
    CTextTransfer text{fake.services};
    CImageTransfer image{fake.services};

    Kind kind() const { return std::get<0>(GetParam()); }
    std::wstring Target() const { return kFolder + (kind() == Kind::Text ? L"\\notes.txt" : L"\\picture.bmp"); }

    void PutClipboard() {
        if (kind() == Kind::Text) {
            fake.clipboard.PutText(u"new text that is longer than the disk allows");
            return;
        }
        CxImage picture;
        ASSERT_NE(picture.Create(8, 8, 24), nullptr);
        fake.clipboard.Put(qlry::kCfDib, picture.ExportDibHandle(fake.memory));
    }
    int Paste(int append = 0) {
        return kind() == Kind::Text ? text.PasteIntoFile(Target(), append) : image.PasteIntoFile(Target(), append);
    }
};

TEST_P(SafePaste, FailedReplaceLeavesTheFileAsItWas) {
    const std::wstring target = Target();
    fake.files.files[target] = kOld;
    fake.files.attributes[target] = kArchive;
    PutClipboard();
    std::get<1>(GetParam()).arrange(fake.files, target);
    const bool wasReadOnly = fake.files.readOnly.count(target) != 0;

    EXPECT_EQ(Paste(), kTransferFailed);
    EXPECT_EQ(fake.files.files[target], kOld);
    EXPECT_EQ(fake.files.attributes[target], kArchive);
    EXPECT_EQ(fake.files.readOnly.count(target) != 0, wasReadOnly);
    EXPECT_EQ(fake.files.files.size(), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(EveryFault, SafePaste,
                         ::testing::Combine(::testing::Values(Kind::Text, Kind::Image), ::testing::ValuesIn(kFaults)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Kind::Text ? "Text" : "Image") +
                                    std::get<1>(info.param).name;
                         });

struct SafeReplace : ::testing::Test {
    FakeServices fake;
    CTextTransfer text{fake.services};
    const std::wstring target = kFolder + L"\\notes.txt";
};

TEST_F(SafeReplace, ReplacedFileKeepsItsAttributes) {
    fake.files.files[target] = kOld;
    fake.files.attributes[target] = kArchive;
    fake.clipboard.PutText(u"new");
    EXPECT_EQ(text.PasteIntoFile(target, 0), kTransferOk);
    EXPECT_EQ(fake.files.files[target], "new");
    EXPECT_EQ(fake.files.attributes[target], kArchive);
    EXPECT_EQ(fake.files.files.size(), 1u);
}

TEST_F(SafeReplace, TargetHeldOpenWithSharingIsWrittenInPlaceOnceTheOutputIsReady) {
    fake.files.files[target] = kOld;
    fake.files.heldOpen.insert(target);
    fake.clipboard.PutText(u"new");
    EXPECT_EQ(text.PasteIntoFile(target, 0), kTransferOk);
    EXPECT_EQ(fake.files.files[target], "new");
    EXPECT_EQ(fake.files.files.size(), 1u);
    EXPECT_EQ(fake.files.opens.back().path, target);
    EXPECT_EQ(fake.files.opens.back().share, qlry::FileShare::ReadWrite);
}

TEST_F(SafeReplace, NewFileThatCannotTakeItsNameLeavesNothing) {
    fake.files.failRename = true;
    fake.clipboard.PutText(u"new");
    EXPECT_EQ(text.PasteIntoFile(target, 0), kTransferFailed);
    EXPECT_TRUE(fake.files.files.empty());
}

TEST_F(SafeReplace, TakenTemporaryNamesAreSkippedAndKept) {
    const std::wstring someoneElses = qlry::TemporaryNameFor(target, 0);
    fake.files.files[someoneElses] = "not ours";
    fake.clipboard.PutText(u"new");
    EXPECT_EQ(text.PasteIntoFile(target, 0), kTransferOk);
    EXPECT_EQ(fake.files.files[target], "new");
    EXPECT_EQ(fake.files.files[someoneElses], "not ours");
    EXPECT_EQ(fake.files.files.size(), 2u);
}

struct SafeAppend : ::testing::TestWithParam<Fault> {
    FakeServices fake;
    CTextTransfer text{fake.services};
    const std::wstring target = kFolder + L"\\log.txt";
};

TEST_P(SafeAppend, FailedAppendIsCutBackToTheOldBytes) {
    fake.files.files[target] = kOld;
    fake.clipboard.PutText(u"appended text that is longer than the disk allows");
    GetParam().arrange(fake.files, target);
    EXPECT_EQ(text.PasteIntoFile(target, 1), kTransferFailed);
    EXPECT_EQ(fake.files.files[target], kOld);
    EXPECT_EQ(fake.files.files.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(WriteFaults, SafeAppend, ::testing::ValuesIn(std::begin(kFaults), std::begin(kFaults) + 3),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
