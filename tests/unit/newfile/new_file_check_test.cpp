#include <gtest/gtest.h>

#include "name_dialog_fixture.h"
#include "newfile/new_file_check.h"

namespace {

using namespace qlry;

struct NewFileCheck : test::NameDialogFixture {
    std::wstring Refusal(const std::wstring& name, const std::wstring& ext) {
        return NewFileRefusal(folder, {name, ext}, files);
    }
};

TEST_F(NewFileCheck, AFreeNameIsAccepted) {
    EXPECT_EQ(Refusal(L"notes", L".txt"), L"");
    EXPECT_EQ(Refusal(L"", L".txt"), L"");
    EXPECT_EQ(Refusal(L"notes", L""), L"");
    EXPECT_EQ(Refusal(L"a b c", L".md"), L"");
}

TEST_F(NewFileCheck, AnExistingFileIsRefusedWithItsBareName) {
    files.files[L"C:\\work\\notes.txt"] = "x";
    EXPECT_EQ(Refusal(L"notes", L".txt"), L"The file name already exists: notes.txt.\nPlease enter a new file name.");
    EXPECT_EQ(Refusal(L"notes", L".log"), L"");
}

TEST_F(NewFileCheck, AnExistingFolderCountsAsExisting) {
    files.folders.insert(L"C:\\work\\archive");
    EXPECT_EQ(Refusal(L"archive", L""), L"The file name already exists: archive.\nPlease enter a new file name.");
}

TEST_F(NewFileCheck, AnEmptyNameInADriveRootNamesTheWholePath) {
    // The path is the root with a second backslash; no name follows either
    // backslash, so the message shows the path as the shell's file-name
    // search gives it.
    files.folders.insert(L"C:\\\\");
    EXPECT_EQ(NewFileRefusal(L"C:\\", {L"", L""}, files),
              L"The file name already exists: C:\\\\.\nPlease enter a new file name.");
    files.folders.insert(L"C:\\work\\");
    EXPECT_EQ(Refusal(L"", L""), L"The file name already exists: work\\.\nPlease enter a new file name.");
}

TEST_F(NewFileCheck, AcceptShowsTheRefusalOnce) {
    files.files[L"C:\\work\\a.txt"] = "";
    EXPECT_FALSE(AcceptNewFile(folder, {L"a", L".txt"}, files, warning));
    ASSERT_EQ(warning.shown.size(), 1u);
    EXPECT_NE(warning.shown[0].find(L"a.txt"), std::wstring::npos);
    EXPECT_TRUE(AcceptNewFile(folder, {L"b", L".txt"}, files, warning));
    EXPECT_EQ(warning.shown.size(), 1u);
}

TEST(ReservedDeviceNames, AreFoundInAnyCaseWithOrWithoutExtension) {
    for (const wchar_t* name : {L"CON", L"con", L"Prn.txt", L"aux.tar.gz", L"NUL", L"nul .txt", L"COM1", L"com9.log",
                                L"LPT1", L"Lpt9.c", L"CON."}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
    }
}

TEST(ReservedDeviceNames, LeaveSimilarNamesAlone) {
    for (const wchar_t* name : {L"CONSOLE", L"icon", L"COM0", L"COM10", L"LPT", L"LPTX", L"nul_file", L".con",
                                L"my con.txt", L"", L".txt", L"a.CON"}) {
        EXPECT_FALSE(IsReservedDeviceName(name)) << name;
    }
}

TEST_F(NewFileCheck, AReservedNameIsRefusedEvenWhenTheDeviceExists) {
    // The shell reports devices as existing; the reserved-name message says why.
    files.files[L"C:\\work\\CON.txt"] = "";
    EXPECT_EQ(Refusal(L"CON", L".txt"),
              L"The file name is reserved by Windows for a device: CON.txt.\nPlease enter a new file name.");
    EXPECT_EQ(Refusal(L"lpt3", L""),
              L"The file name is reserved by Windows for a device: lpt3.\nPlease enter a new file name.");
}

TEST_F(NewFileCheck, ATrailingDotOrSpaceIsRefused) {
    EXPECT_EQ(Refusal(L"notes", L"."),
              L"A file name cannot end with a dot or a space: \"notes.\".\nPlease enter a new file name.");
    EXPECT_EQ(Refusal(L"a ", L""),
              L"A file name cannot end with a dot or a space: \"a \".\nPlease enter a new file name.");
    EXPECT_EQ(Refusal(L"a ", L".txt"), L"");  // the space is inside the name
}

TEST_F(NewFileCheck, ControlCharactersAreRefused) {
    EXPECT_EQ(Refusal(L"a\tb", L".txt"), kControlCharacterMessage);
    EXPECT_EQ(Refusal(L"ab", L".t\x01"), kControlCharacterMessage);
}

TEST_F(NewFileCheck, PathsBeyondTheSystemLimitAreRefused) {
    const size_t room = kMaxPathLength - folder.size() - 1;  // after the backslash
    const std::wstring longest(room - 4, L'n');
    EXPECT_EQ(Refusal(longest, L".txt"), L"");
    EXPECT_EQ(Refusal(longest + L"n", L".txt"), kNameTooLongMessage);
    // A single name longer than a file system stores, in a short folder.
    EXPECT_EQ(NewFileRefusal(L"C:", {std::wstring(251, L'n'), L".txt"}, files), L"");
    EXPECT_EQ(NewFileRefusal(L"C:", {std::wstring(252, L'n'), L".txt"}, files), kNameTooLongMessage);
}

}  // namespace
