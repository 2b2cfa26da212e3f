// The Win32 adapters of the registry, shell and menu ports against the real
// system, for the cases the fakes imitate.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "explorer_host/selection.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

const std::wstring kKey = L"Software\\QuilloryAdapterTest";

class RegistryAdapterTest : public ::testing::Test {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }
    Registry& registry = SystemRegistry();
};

TEST_F(RegistryAdapterTest, ValuesRoundTripAndTooSmallBuffersSayMoreData) {
    UniqueHKey key(registry);
    ASSERT_EQ(kErrorSuccess, registry.CreateKey(RegRoot::CurrentUser, kKey + L"\\Deep\\Er", key.put()));
    const char16_t text[] = u"C:\\Folder";
    ASSERT_EQ(kErrorSuccess, registry.SetValue(key.get(), L"AppFolder", kRegSz, text, sizeof text));
    ASSERT_EQ(kErrorSuccess, registry.SetValue(key.get(), L"", kRegSz, text, sizeof text));

    char16_t buffer[64] = {};
    uint32_t type = 0, bytes = sizeof buffer;
    ASSERT_EQ(kErrorSuccess, registry.QueryValue(key.get(), L"AppFolder", type, buffer, bytes));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(sizeof text, bytes);
    EXPECT_EQ(std::u16string(text), std::u16string(buffer));
    bytes = 4;
    EXPECT_EQ(kErrorMoreData, registry.QueryValue(key.get(), L"AppFolder", type, buffer, bytes));
    EXPECT_EQ(sizeof text, bytes);
    EXPECT_EQ(kErrorFileNotFound, registry.QueryValue(key.get(), L"Missing", type, buffer, bytes));

    uint32_t subKeys = 9, values = 9;
    ASSERT_EQ(kErrorSuccess, registry.QueryInfoKey(key.get(), subKeys, values));
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(kErrorSuccess, registry.DeleteValue(key.get(), L"AppFolder"));
    EXPECT_EQ(kErrorFileNotFound, registry.DeleteValue(key.get(), L"AppFolder"));
}

TEST_F(RegistryAdapterTest, DeleteKeyNeedsAnEmptyKeyDeleteTreeDoesNot) {
    {
        UniqueHKey key(registry);
        ASSERT_EQ(kErrorSuccess, registry.CreateKey(RegRoot::CurrentUser, kKey + L"\\A\\B", key.put()));
    }
    EXPECT_NE(kErrorSuccess, registry.DeleteKey(RegRoot::CurrentUser, kKey + L"\\A"));
    EXPECT_EQ(kErrorSuccess, registry.DeleteTree(RegRoot::CurrentUser, kKey + L"\\A"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey + L"\\A"));
    EXPECT_EQ(kErrorFileNotFound, registry.DeleteTree(RegRoot::CurrentUser, kKey + L"\\A"));
    UniqueHKey key(registry);
    EXPECT_EQ(kErrorFileNotFound, registry.OpenKey(RegRoot::CurrentUser, kKey + L"\\A", kKeyRead, key.put()));
    EXPECT_FALSE(key);
}

TEST(ShellAdapter, PathQueries) {
    Shell& shell = SystemShell();
    std::wstring folder = MakeTempFolder(L"adapters");
    std::wstring file = folder + L"\\file.txt";
    WriteFileBytes(file, "x");
    EXPECT_TRUE(shell.PathIsDirectory(L"C:\\"));
    EXPECT_TRUE(shell.PathIsDirectory(folder.c_str()));
    EXPECT_FALSE(shell.PathIsDirectory(file.c_str()));
    EXPECT_TRUE(shell.PathFileExists(file.c_str()));
    EXPECT_FALSE(shell.PathFileExists((folder + L"\\missing.txt").c_str()));
}

TEST(ShellAdapter, FolderIdsToPaths) {
    Shell& shell = SystemShell();
    wchar_t path[kMaxPath];
    PIDLIST_ABSOLUTE root = nullptr;
    ASSERT_EQ(S_OK, ::SHParseDisplayName(L"C:\\", nullptr, &root, 0, nullptr));
    EXPECT_TRUE(shell.GetPathFromIdList(root, path));
    EXPECT_STREQ(L"C:\\", path);
    ::CoTaskMemFree(root);
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(S_OK, ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
    EXPECT_FALSE(shell.GetPathFromIdList(computer, path));
    ::CoTaskMemFree(computer);
}

// Captures the data object a selection hands to Initialize.
class CapturingInit : public IShellExtInit {
public:
    IDataObject* data = nullptr;
    STDMETHODIMP QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject* object, HKEY) override {
        data = object;
        data->AddRef();
        return S_OK;
    }
};

TEST(ShellAdapter, DropListOfARealSelection) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring folder = MakeTempFolder(L"adapters");
    std::wstring a = folder + L"\\a.txt", b = folder + L"\\b.txt";
    WriteFileBytes(a, "a");
    WriteFileBytes(b, "b");
    Selection selection;
    ASSERT_EQ(S_OK, selection.SelectItems({a, b}));
    CapturingInit init;
    ASSERT_EQ(S_OK, selection.InitializeHandler(&init));

    auto list = SystemShell().GetDropList(init.data);
    ASSERT_TRUE(list);
    EXPECT_EQ(2u, list->QueryFile(0xFFFFFFFF, nullptr, 0));
    wchar_t name[1024];
    EXPECT_EQ(a.size(), list->QueryFile(0, name, 1024));
    EXPECT_EQ(a, std::wstring(name));
    EXPECT_EQ(5u, list->QueryFile(1, name, 6)) << "cut to cch - 1";
    list.reset();
    init.data->Release();

    StubDataObject empty;  // offers no CF_HDROP
    EXPECT_FALSE(SystemShell().GetDropList(&empty));
    EXPECT_FALSE(SystemShell().GetDropList(nullptr));
}

}  // namespace
}  // namespace qlry::wintest
