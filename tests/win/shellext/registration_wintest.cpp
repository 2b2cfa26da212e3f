// regsvr32 on the real (Wine) registry: machine-wide and per user, every key
// of both tables, what unregistration removes and what it keeps.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "shellext/class_ids.h"
#include "support/expected_registration.h"
#include "win/shellext/shellext_win_support.h"

namespace qlry::wintest {
namespace {

const std::wstring kUserClasses = L"Software\\Classes\\";
const std::vector<std::wstring> kNothing;

// The lines of the keys a registration owns, as the registry holds them.
std::vector<std::wstring> OwnedNow(HKEY root, const std::wstring& prefix) {
    std::vector<std::wstring> lines;
    for (const auto& key : test::OwnedRegistrationKeys(prefix)) {
        auto dump = DumpKey(root, key);
        lines.insert(lines.end(), dump.begin(), dump.end());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The expected lines of those keys.
std::vector<std::wstring> OwnedExpected(const std::wstring& prefix) {
    std::vector<std::wstring> owned = test::OwnedRegistrationKeys(prefix), lines;
    for (const auto& line : test::ExpectedRegistration(prefix, DllPath())) {
        std::wstring path = line.substr(0, line.find(L'|'));
        for (const auto& key : owned)
            if (path == key || path.starts_with(key + L"\\")) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RegistrationTest : public ::testing::Test {
protected:
    void TearDown() override {
        Regsvr32(L"/u");
        Regsvr32(L"/u /n /i:user");
    }

    const std::wstring interfaceKey = std::wstring(L"Interface\\") + kIidIMyContextMenu;
    const std::wstring typeLibKey = std::wstring(L"TypeLib\\") + kLibIdQlryWsLib;
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClsidMyContextMenu;
};

TEST_F(RegistrationTest, MachineWideWritesEveryKeyUnderClassesRoot) {
    ASSERT_EQ(0, Regsvr32(L""));
    EXPECT_EQ(OwnedExpected(L""), OwnedNow(HKEY_CLASSES_ROOT, L""));
    for (const auto& kept : test::KeptAfterUnregistration(L""))
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kept)) << Utf8(kept);
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CURRENT_USER, kUserClasses));
    // The type library and the merged proxy/stub.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, typeLibKey + L"\\1.0"));
    EXPECT_EQ(kIidIMyContextMenu, ReadString(HKEY_CLASSES_ROOT, interfaceKey + L"\\ProxyStubClsid32", L""));
}

TEST_F(RegistrationTest, MachineWideUnregistrationRemovesItsOwnAndKeepsTheShared) {
    ASSERT_EQ(0, Regsvr32(L""));
    ASSERT_EQ(0, Regsvr32(L"/u"));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CLASSES_ROOT, L""));
    for (const auto& kept : test::KeptAfterUnregistration(L""))
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kept)) << Utf8(kept);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, typeLibKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, interfaceKey));
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesOneSet) {
    ASSERT_EQ(0, Regsvr32(L""));
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (classKey + L"\\Stale").c_str(), nullptr, REG_SZ, L"x", 4);
    ASSERT_EQ(0, Regsvr32(L""));
    EXPECT_EQ(OwnedExpected(L""), OwnedNow(HKEY_CLASSES_ROOT, L""));
}

TEST_F(RegistrationTest, KeyThatOtherSoftwareAddedToStays) {
    ASSERT_EQ(0, Regsvr32(L""));
    const std::wstring added = classKey + L"\\Implemented Categories";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CLASSES_ROOT, added.c_str(), nullptr, REG_SZ, L"", 2));
    ASSERT_EQ(0, Regsvr32(L"/u"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, added));
    EXPECT_EQ(L"<none>", ReadString(HKEY_CLASSES_ROOT, classKey, L"")) << "its own value goes";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"));
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey.c_str());
}

TEST_F(RegistrationTest, PerUserWritesEveryKeyUnderUserClassesOnly) {
    ASSERT_EQ(0, Regsvr32(L"/n /i:user"));
    EXPECT_EQ(OwnedExpected(kUserClasses), OwnedNow(HKEY_CURRENT_USER, kUserClasses));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CLASSES_ROOT, L""));
}

TEST_F(RegistrationTest, PerUserUnregistrationRemovesItsOwnAndKeepsTheShared) {
    ASSERT_EQ(0, Regsvr32(L"/n /i:user"));
    ASSERT_EQ(0, Regsvr32(L"/u /n /i:user"));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CURRENT_USER, kUserClasses));
    for (const auto& kept : test::KeptAfterUnregistration(kUserClasses))
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kept)) << Utf8(kept);
}

TEST_F(RegistrationTest, UpperCaseUserIsPerUser) {
    ASSERT_EQ(0, Regsvr32(L"/n /i:USER"));
    EXPECT_EQ(OwnedExpected(kUserClasses), OwnedNow(HKEY_CURRENT_USER, kUserClasses));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CLASSES_ROOT, L""));
}

TEST_F(RegistrationTest, LongerCommandLineKeepsMachineMode) {
    ASSERT_EQ(0, Regsvr32(L"/n /i:users"));
    EXPECT_EQ(OwnedExpected(L""), OwnedNow(HKEY_CLASSES_ROOT, L""));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CURRENT_USER, kUserClasses));
}

TEST_F(RegistrationTest, InstallFalseUnregisters) {
    ASSERT_EQ(0, Regsvr32(L""));
    ASSERT_EQ(0, Regsvr32(L"/u /n /i:other"));
    EXPECT_EQ(kNothing, OwnedNow(HKEY_CLASSES_ROOT, L""));
}

}  // namespace
}  // namespace qlry::wintest
