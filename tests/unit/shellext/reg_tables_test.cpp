// The extension's two scripts against an in-memory registry: every key of
// both tables, machine-wide and per user, registered twice, unregistered.
#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "shellext/class_ids.h"
#include "shellext/reg_tables.h"
#include "support/expected_registration.h"
#include "support/fake_registry.h"
#include "support/test_paths.h"

namespace qlry::test {
namespace {

const std::wstring kModule = L"C:\\Program Files\\Q's\\QLRY_WS.dll";

// Per user, the two keys above the classes are there as well.
std::vector<std::wstring> WithClassesKeys(std::vector<std::wstring> lines, const std::wstring& prefix) {
    if (!prefix.empty()) {
        lines.push_back(L"Software");
        lines.push_back(L"Software\\Classes");
        std::sort(lines.begin(), lines.end());
    }
    return lines;
}

std::vector<std::wstring> Expected(const std::wstring& prefix) {
    return WithClassesKeys(ExpectedRegistration(prefix, kModule), prefix);
}

std::vector<std::wstring> Kept(const std::wstring& prefix) {
    return WithClassesKeys(KeptAfterUnregistration(prefix), prefix);
}

class RegTablesTest : public ::testing::Test {
protected:
    HResult Register(const RegTarget& target) {
        HResult result = RegisterScript(target, AppIdScript(), tokens);
        return Failed(result) ? result : RegisterScript(target, ClassScript(), tokens);
    }
    HResult Unregister(const RegTarget& target) {
        HResult result = UnregisterScript(target, ClassScript(), tokens);
        return Failed(result) ? result : UnregisterScript(target, AppIdScript(), tokens);
    }

    FakeRegistry registry;
    std::vector<RegToken> tokens = ServerTokens(kModule);
};

// Registered (once or twice), perhaps unregistered again: the hive the
// script targets holds exactly the expected keys, the other hive none.
TEST_F(RegTablesTest, EveryKeyRegisteredAndWhatUnregistrationKeeps) {
    const struct {
        const char* what;
        bool perUser;
        int registrations;
        bool unregister;
    } cases[] = {
        {"machine-wide", false, 1, false}, {"per user", true, 1, false},
        {"machine-wide, twice", false, 2, false}, {"machine-wide, then unregistered", false, 1, true},
        {"per user, then unregistered", true, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry fresh;
        const RegTarget target = c.perUser ? UserClasses(fresh) : MachineClasses(fresh);
        for (int i = 0; i < c.registrations; ++i) ASSERT_EQ(kSOk, Register(target));
        if (c.unregister) {
            ASSERT_EQ(kSOk, Unregister(target));
        }
        const std::wstring prefix = c.perUser ? L"Software\\Classes\\" : L"";
        const RegRoot written = c.perUser ? RegRoot::CurrentUser : RegRoot::ClassesRoot;
        const RegRoot other = c.perUser ? RegRoot::ClassesRoot : RegRoot::CurrentUser;
        EXPECT_EQ(c.unregister ? Kept(prefix) : Expected(prefix), fresh.Dump(written));
        EXPECT_TRUE(fresh.Dump(other).empty());
        EXPECT_EQ(0u, fresh.OpenHandles());
    }
}

TEST_F(RegTablesTest, ForceRemoveKeysAreRebuiltNotMerged) {
    registry.PutString(RegRoot::ClassesRoot, std::wstring(L"CLSID\\") + kClsidMyContextMenu + L"\\Stale", L"", L"x");
    registry.PutString(RegRoot::ClassesRoot, std::wstring(L"CLSID\\") + kClsidMyContextMenu, L"Old", L"x");
    registry.PutString(RegRoot::ClassesRoot, L"Folder\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory", L"Old", L"x");
    ASSERT_EQ(kSOk, Register(MachineClasses(registry)));
    EXPECT_EQ(Expected(L""), registry.Dump(RegRoot::ClassesRoot));
}

TEST_F(RegTablesTest, UnregisteringWhatIsNotThereSucceeds) {
    EXPECT_EQ(kSOk, Unregister(MachineClasses(registry)));
    EXPECT_TRUE(registry.Dump(RegRoot::ClassesRoot).empty());
}

TEST_F(RegTablesTest, KeysOtherSoftwareAddedToStay) {
    ASSERT_EQ(kSOk, Register(MachineClasses(registry)));
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClsidMyContextMenu;
    registry.PutString(RegRoot::ClassesRoot, classKey + L"\\Implemented Categories", L"", L"");
    registry.PutString(RegRoot::ClassesRoot, L"*\\ShellEx\\ContextMenuHandlers\\Other", L"", L"{x}");
    ASSERT_EQ(kSOk, Unregister(MachineClasses(registry)));

    auto dump = registry.Dump(RegRoot::ClassesRoot);
    auto has = [&](const std::wstring& line) { return std::find(dump.begin(), dump.end(), line) != dump.end(); };
    EXPECT_TRUE(has(classKey));
    EXPECT_TRUE(has(classKey + L"\\Implemented Categories"));
    EXPECT_FALSE(has(classKey + L"|@=Quillory.SCM")) << "its listed value goes";
    EXPECT_FALSE(has(classKey + L"\\InprocServer32"));
    EXPECT_TRUE(has(L"*\\ShellEx\\ContextMenuHandlers\\Other"));
    EXPECT_FALSE(has(L"*\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory"));
}

TEST_F(RegTablesTest, ModulePathIsWrittenAsItIs) {
    ASSERT_EQ(kSOk, Register(MachineClasses(registry)));
    EXPECT_EQ(kModule, registry.GetString(RegRoot::ClassesRoot,
                                          std::wstring(L"CLSID\\") + kClsidMyContextMenu + L"\\InprocServer32", L""));
}

// The type library's table says what QLRY_WS.idl declares.
TEST(TypeLibraryScript, AgreesWithTheInterfaceDefinition) {
    std::ifstream file(SourcePath("src/shellext/com/QLRY_WS.idl"));
    ASSERT_TRUE(file);
    const std::string idl((std::istreambuf_iterator<char>(file)), {});
    auto data = [](std::wstring_view key, const wchar_t* name) {
        for (const RegRow& row : TypeLibraryScript())
            if (row.key == key && row.value && std::wstring_view(row.value) == name)
                return std::string(row.data.begin(), row.data.end());
        return std::string("<none>");
    };
    auto bare = [](const wchar_t* id) { return std::string(id + 1, id + 37); };
    EXPECT_NE(std::string::npos, idl.find("uuid(" + bare(kLibIdQlryWsLib) + "),\n    version(1.0),\n    helpstring(\"" +
                                          data(L"TypeLib\\%LIBID%\\1.0", L"") + "\")"));
    EXPECT_EQ("1.0", data(L"Interface\\%IID%\\TypeLib", L"Version"));
    EXPECT_NE(std::string::npos, idl.find("uuid(" + bare(kIidIMyContextMenu) + "),\n    dual,"));
    EXPECT_NE(std::string::npos, idl.find("interface " + data(L"Interface\\%IID%", L"") + " : IDispatch"));
}

TEST(ClassIds, AreInRegistryForm) {
    for (const wchar_t* id : {kClsidMyContextMenu, kAppIdQlryWs, kLibIdQlryWsLib, kIidIMyContextMenu}) {
        std::wstring text = id;
        ASSERT_EQ(38u, text.size());
        EXPECT_EQ(L'{', text.front());
        EXPECT_EQ(L'}', text.back());
        for (size_t i = 1; i < 37; ++i) {
            if (i == 9 || i == 14 || i == 19 || i == 24)
                EXPECT_EQ(L'-', text[i]);
            else
                EXPECT_TRUE((text[i] >= L'0' && text[i] <= L'9') || (text[i] >= L'A' && text[i] <= L'F')) << i;
        }
    }
}

}  // namespace
}  // namespace qlry::test
