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

// Both registrations undone, whichever there is.
void UnregisterBoth() {
    Regsvr32(L"/u");
    Regsvr32(L"/u /n /i:user");
}

class RegistrationTest : public ::testing::Test {
protected:
    void TearDown() override { UnregisterBoth(); }

    // regsvr32 with each of `commands`; then the owned keys are where `owner`
    // says (Machine, User or nowhere), and the shared keys of the hive the
    // first command wrote to are kept.
    enum Owner { Nowhere, Machine, User };
    void ExpectAfter(const std::vector<std::wstring>& commands, bool perUser, Owner owner) {
        for (const auto& command : commands) ASSERT_EQ(0, Regsvr32(command)) << Utf8(command);
        EXPECT_EQ(owner == Machine ? OwnedExpected(L"") : kNothing, OwnedNow(HKEY_CLASSES_ROOT, L""));
        EXPECT_EQ(owner == User ? OwnedExpected(kUserClasses) : kNothing, OwnedNow(HKEY_CURRENT_USER, kUserClasses));
        const HKEY hive = perUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
        for (const auto& kept : test::KeptAfterUnregistration(perUser ? kUserClasses : L""))
            EXPECT_TRUE(KeyExists(hive, kept)) << Utf8(kept);
        if (owner == Machine) {  // the type library and the merged proxy/stub
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, typeLibKey + L"\\1.0"));
            EXPECT_EQ(kIidIMyContextMenu, ReadString(HKEY_CLASSES_ROOT, interfaceKey + L"\\ProxyStubClsid32", L""));
        } else if (owner == User) {  // the type library alone: the proxy/stub is machine-wide
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kIidIMyContextMenu));
            EXPECT_NE(kIidIMyContextMenu, ReadString(HKEY_CLASSES_ROOT, interfaceKey + L"\\ProxyStubClsid32", L""));
        } else if (!perUser) {
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, typeLibKey));
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, interfaceKey));
        }
    }

    const std::wstring interfaceKey = std::wstring(L"Interface\\") + kIidIMyContextMenu;
    const std::wstring typeLibKey = std::wstring(L"TypeLib\\") + kLibIdQlryWsLib;
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClsidMyContextMenu;
};

TEST_F(RegistrationTest, CommandLinesDecideWhereTheKeysGoAndWhatStays) {
    const struct {
        std::vector<std::wstring> commands;
        bool perUser;
        Owner owner;
    } cases[] = {
        {{L""}, false, Machine},
        {{L"", L"/u"}, false, Nowhere},
        {{L"/n /i:user"}, true, User},
        {{L"/n /i:user", L"/u /n /i:user"}, true, Nowhere},
        {{L"/n /i:USER"}, true, User},           // the word in any case
        {{L"/n /i:users"}, false, Machine},      // a longer word is not it
        {{L"", L"/u /n /i:other"}, false, Nowhere},  // DllInstall(FALSE) unregisters
    };
    for (const auto& c : cases) {
        std::wstring trace;
        for (const auto& command : c.commands) trace += L"[" + command + L"] ";
        SCOPED_TRACE(Utf8(trace));
        ExpectAfter(c.commands, c.perUser, c.owner);
        UnregisterBoth();
    }
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

}  // namespace
}  // namespace qlry::wintest
