// The registration engine on small scripts: tokens, marks, and a failure
// part-way that takes back what the script wrote.
#include <gtest/gtest.h>

#include "shellext/reg_script.h"
#include "support/fake_registry.h"

namespace qlry::test {
namespace {

constexpr RegRow kRows[] = {
    {L"Top", KeyMark::NoRemove, nullptr, L""},
    {L"Top\\%NAME%", KeyMark::ForceRemove, L"", L"at %WHERE%"},
    {L"Top\\%NAME%\\Sub", KeyMark::None, L"", L"sub"},
    {L"Top\\%NAME%\\Sub", KeyMark::None, L"Extra", L"%WHERE%"},
    {L"Shared", KeyMark::None, L"Mine", L"1"},
};

class RegScriptTest : public ::testing::Test {
protected:
    std::vector<RegToken> tokens = {{L"NAME", L"Thing"}, {L"WHERE", L"C:\\x"}};
    FakeRegistry registry;
};

TEST(ExpandTokens, ReplacesKnownTokensOnly) {
    std::vector<RegToken> tokens = {{L"A", L"1"}, {L"BB", L"22"}};
    EXPECT_EQ(L"1-22-1", ExpandTokens(L"%A%-%BB%-%A%", tokens));
    EXPECT_EQ(L"100%", ExpandTokens(L"100%", tokens));
    EXPECT_EQ(L"%X%1", ExpandTokens(L"%X%%A%", tokens));
    EXPECT_EQ(L"a%%b", ExpandTokens(L"a%%b", tokens));
    EXPECT_EQ(L"", ExpandTokens(L"", tokens));
}

TEST_F(RegScriptTest, RegistersWithTokensExpanded) {
    ASSERT_EQ(kSOk, RegisterScript(MachineClasses(registry), kRows, tokens));
    EXPECT_EQ(L"at C:\\x", registry.GetString(RegRoot::ClassesRoot, L"Top\\Thing", L""));
    EXPECT_EQ(L"C:\\x", registry.GetString(RegRoot::ClassesRoot, L"Top\\Thing\\Sub", L"Extra"));
    EXPECT_EQ(L"1", registry.GetString(RegRoot::ClassesRoot, L"Shared", L"Mine"));
}

TEST_F(RegScriptTest, UnregisterKeepsOtherValuesOfAKeyWithoutSubkeysOut) {
    registry.PutString(RegRoot::ClassesRoot, L"Shared", L"Theirs", L"2");
    ASSERT_EQ(kSOk, RegisterScript(MachineClasses(registry), kRows, tokens));
    ASSERT_EQ(kSOk, UnregisterScript(MachineClasses(registry), kRows, tokens));
    // Only the listed value goes; the key itself has no subkeys and goes too.
    EXPECT_FALSE(registry.HasKey(RegRoot::ClassesRoot, L"Shared"));
    EXPECT_TRUE(registry.HasKey(RegRoot::ClassesRoot, L"Top"));
    EXPECT_FALSE(registry.HasKey(RegRoot::ClassesRoot, L"Top\\Thing"));
}

TEST_F(RegScriptTest, FailurePartWayRemovesWhatThisScriptWrote) {
    // Whatever write fails, the registry ends as it was before.
    registry.PutString(RegRoot::ClassesRoot, L"Shared", L"Mine", L"old");
    registry.PutString(RegRoot::ClassesRoot, L"Unrelated", L"", L"keep");
    const auto before = registry.Dump(RegRoot::ClassesRoot);

    FakeRegistry probe;
    probe.PutString(RegRoot::ClassesRoot, L"Shared", L"Mine", L"old");
    ASSERT_EQ(kSOk, RegisterScript(MachineClasses(probe), kRows, tokens));
    const int writes = probe.Writes();
    ASSERT_GT(writes, 4);

    for (int failing = 1; failing <= writes; ++failing) {
        FakeRegistry reg;
        reg.PutString(RegRoot::ClassesRoot, L"Shared", L"Mine", L"old");
        reg.PutString(RegRoot::ClassesRoot, L"Unrelated", L"", L"keep");
        reg.failWriteNumber = failing;
        EXPECT_EQ(HResultFromWin32(kErrorAccessDenied), RegisterScript(MachineClasses(reg), kRows, tokens)) << failing;
        EXPECT_EQ(before, reg.Dump(RegRoot::ClassesRoot)) << "write " << failing;
        EXPECT_EQ(0u, reg.OpenHandles());
    }
}

TEST_F(RegScriptTest, FailureKeepsWhatAnEarlierScriptWrote) {
    constexpr RegRow kFirst[] = {{L"First", KeyMark::None, L"", L"1"}};
    ASSERT_EQ(kSOk, RegisterScript(MachineClasses(registry), kFirst, tokens));
    registry.failWriteNumber = registry.Writes() + 2;
    EXPECT_TRUE(Failed(RegisterScript(MachineClasses(registry), kRows, tokens)));
    EXPECT_EQ(L"1", registry.GetString(RegRoot::ClassesRoot, L"First", L""));
    EXPECT_FALSE(registry.HasKey(RegRoot::ClassesRoot, L"Top"));
}

TEST_F(RegScriptTest, UnregisterFailureIsReported) {
    ASSERT_EQ(kSOk, RegisterScript(MachineClasses(registry), kRows, tokens));
    registry.denyWrites = true;
    EXPECT_EQ(HResultFromWin32(kErrorAccessDenied), UnregisterScript(MachineClasses(registry), kRows, tokens));
    EXPECT_EQ(0u, registry.OpenHandles());
}

TEST_F(RegScriptTest, RegisterFailureOnDeniedRegistryLeavesNothing) {
    registry.denyWrites = true;
    EXPECT_EQ(HResultFromWin32(kErrorAccessDenied), RegisterScript(UserClasses(registry), kRows, tokens));
    EXPECT_TRUE(registry.Dump(RegRoot::CurrentUser).empty());
}

TEST(HResults, FromWin32) {
    EXPECT_EQ(static_cast<HResult>(0x80070005), HResultFromWin32(5));
    EXPECT_EQ(static_cast<HResult>(0x8007007A), HResultFromWin32(kErrorInsufficientBuffer));
    EXPECT_EQ(kSOk, HResultFromWin32(0));
}

}  // namespace
}  // namespace qlry::test
