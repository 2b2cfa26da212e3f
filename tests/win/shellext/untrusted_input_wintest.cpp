// What the handler reads from outside, on the real system: the AppFolder
// value in every type, size and terminator form RegQueryValueExW hands back,
// and CF_HDROP blocks from data objects that other programs may build.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QLRY_WS.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "shellext/app_path.h"
#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

constexpr wchar_t kInstall[] = L"Software\\Varnel\\Quillory";

std::vector<BYTE> Utf16(const std::wstring& text, size_t terminators = 1) {
    std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                            reinterpret_cast<const BYTE*>(text.data() + text.size()));
    bytes.insert(bytes.end(), terminators * sizeof(wchar_t), 0);
    return bytes;
}

// AppFolder as raw registry data, for one test; the earlier value comes back.
class RawAppFolder {
public:
    RawAppFolder() : m_scope(L"placeholder") {}
    void Set(DWORD type, const std::vector<BYTE>& data) {
        // Written from a buffer with more behind the data, none of it zero: a
        // string whose next character is 0 gets that terminator added.
        std::vector<BYTE> padded(data);
        padded.insert(padded.end(), 4, 'x');
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, kInstall, L"AppFolder", type, padded.data(),
                                                   static_cast<DWORD>(data.size())));
    }

private:
    AppFolderScope m_scope;
};

class AppFolderReadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = MakeTempFolder(L"appfolder");
        WriteFileBytes(folder + L"\\Quillory.exe", "MZ");
    }

    bool Read() { return ReadAppPath(SystemRegistry(), SystemShell(), path); }

    static inline std::wstring folder;
    RawAppFolder value;
    wchar_t path[kPathChars] = {};
};

TEST_F(AppFolderReadTest, StringAndMultiStringName) {
    value.Set(REG_SZ, Utf16(folder));
    EXPECT_TRUE(Read());
    EXPECT_EQ(folder + L"\\Quillory.exe", std::wstring(path));
    value.Set(REG_MULTI_SZ, Utf16(folder, 2));
    EXPECT_TRUE(Read());
    EXPECT_EQ(folder + L"\\Quillory.exe", std::wstring(path));
}

TEST_F(AppFolderReadTest, ExpandStringIsNotExpanded) {
    ::SetEnvironmentVariableW(L"QLRY_APPFOLDER_TEST", folder.c_str());
    value.Set(REG_EXPAND_SZ, Utf16(L"%QLRY_APPFOLDER_TEST%"));
    EXPECT_FALSE(Read());
    EXPECT_EQ(L"%QLRY_APPFOLDER_TEST%\\Quillory.exe", std::wstring(path));
    ::SetEnvironmentVariableW(L"QLRY_APPFOLDER_TEST", nullptr);
}

TEST_F(AppFolderReadTest, MalformedValuesAreRefused) {
    value.Set(REG_SZ, Utf16(folder, 0));
    EXPECT_FALSE(Read()) << "no terminator";
    std::vector<BYTE> odd = Utf16(folder);
    odd.push_back(0);
    value.Set(REG_SZ, odd);
    EXPECT_FALSE(Read()) << "odd size";
    value.Set(REG_MULTI_SZ, Utf16(folder, 1));
    EXPECT_FALSE(Read()) << "one terminator";
    value.Set(REG_BINARY, Utf16(folder));
    EXPECT_FALSE(Read()) << "binary";
    value.Set(REG_SZ, {});
    EXPECT_FALSE(Read()) << "empty";
}

TEST_F(AppFolderReadTest, ReadIsLimitedTo1023Bytes) {
    // The folder, its terminator, then zeros: 1022 bytes are read, 1024 are not.
    std::vector<BYTE> data = Utf16(folder);
    data.resize(1022, 0);
    value.Set(REG_SZ, data);
    EXPECT_TRUE(Read());
    data.resize(1024, 0);
    value.Set(REG_SZ, data);
    EXPECT_FALSE(Read());
}

// A data object offering one CF_HDROP block, as the test builds it.
class HdropDataObject : public StubDataObject {
public:
    explicit HdropDataObject(const std::vector<BYTE>& block) : m_block(block) {}
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, m_block.size());
        if (!global) return E_OUTOFMEMORY;
        // Whatever the allocator adds beyond the request is no terminator.
        auto* bytes = static_cast<BYTE*>(::GlobalLock(global));
        std::memset(bytes, 'x', ::GlobalSize(global));
        std::memcpy(bytes, m_block.data(), m_block.size());
        ::GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }

private:
    std::vector<BYTE> m_block;
};

std::vector<BYTE> DropBlock(DWORD offset, bool wide, const std::vector<BYTE>& names) {
    DROPFILES header = {};
    header.pFiles = offset;
    header.fWide = wide;
    std::vector<BYTE> block(sizeof header + names.size());
    std::memcpy(block.data(), &header, sizeof header);
    if (!names.empty()) std::memcpy(block.data() + sizeof header, names.data(), names.size());
    return block;
}

std::vector<BYTE> WideNames(const std::vector<std::wstring>& names) {
    std::vector<BYTE> bytes;
    for (const auto& name : names) {
        auto one = Utf16(name);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

TEST(DropListAdapter, WideAndNarrowListsAreRead) {
    HdropDataObject wide(DropBlock(sizeof(DROPFILES), true, WideNames({L"C:\\a.txt", L"C:\\b.txt"})));
    auto list = SystemShell().GetDropList(&wide);
    ASSERT_TRUE(list);
    EXPECT_EQ(2u, list->QueryFile(0xFFFFFFFF, nullptr, 0));
    wchar_t name[64] = {};
    list->QueryFile(0, name, 64);
    EXPECT_STREQ(L"C:\\a.txt", name);

    const char narrowNames[] = "C:\\n.txt\0";
    HdropDataObject narrow(
        DropBlock(sizeof(DROPFILES), false, std::vector<BYTE>(narrowNames, narrowNames + sizeof narrowNames)));
    list = SystemShell().GetDropList(&narrow);
    ASSERT_TRUE(list);
    EXPECT_EQ(1u, list->QueryFile(0xFFFFFFFF, nullptr, 0));
    list->QueryFile(0, name, 64);
    EXPECT_STREQ(L"C:\\n.txt", name);

    // An empty list: no first name, just the closing empty one.
    HdropDataObject empty(DropBlock(sizeof(DROPFILES), true, {0, 0, 0, 0}));
    EXPECT_TRUE(SystemShell().GetDropList(&empty));
}

TEST(DropListAdapter, BlocksThatLeadOutsideThemselvesAreRefused) {
    HdropDataObject shortHeader(std::vector<BYTE>(8, 0));
    EXPECT_FALSE(SystemShell().GetDropList(&shortHeader));
    HdropDataObject farOffset(DropBlock(0x7FFFFFF0, true, WideNames({L"C:\\a.txt"})));
    EXPECT_FALSE(SystemShell().GetDropList(&farOffset));
    HdropDataObject offsetAtEnd(DropBlock(sizeof(DROPFILES) + 4, true, {'a', 0, 'b', 0}));
    EXPECT_FALSE(SystemShell().GetDropList(&offsetAtEnd));
    std::vector<BYTE> unterminated = Utf16(L"C:\\no\\end", 0);
    HdropDataObject open(DropBlock(sizeof(DROPFILES), true, unterminated));
    EXPECT_FALSE(SystemShell().GetDropList(&open));
    HdropDataObject oneTerminator(DropBlock(sizeof(DROPFILES), true, Utf16(L"C:\\a.txt")));
    EXPECT_FALSE(SystemShell().GetDropList(&oneTerminator)) << "the list's closing empty name is missing";
}

TEST(DropListThroughTheHandler, MalformedBlockGivesInvalidArg) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_EQ(0, Regsvr32(L""));
    IShellExtInit* init = nullptr;
    ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_MyContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(&init)));
    HdropDataObject farOffset(DropBlock(0x7FFFFFF0, true, WideNames({L"C:\\a.txt"})));
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, &farOffset, nullptr));
    HdropDataObject good(DropBlock(sizeof(DROPFILES), true, WideNames({L"C:\\a.txt"})));
    EXPECT_EQ(S_OK, init->Initialize(nullptr, &good, nullptr));
    init->Release();
    Regsvr32(L"/u");
}

}  // namespace
}  // namespace qlry::wintest
