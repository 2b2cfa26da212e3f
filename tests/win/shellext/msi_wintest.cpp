// Quillory.msi under Wine's msiexec: a per-user package that needs no
// elevation, writes what the extension's per-user registration writes, works
// from the context menu, and on removal leaves both hives and the disk as
// they were. Each install or removal costs about a second.
#include <windows.h>
#include <msi.h>
#include <msidefs.h>
#include <msiquery.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <iostream>
#include <iterator>
#include <regex>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/win32/shell_link.h"
#include "shellext/class_ids.h"
#include "win/shellext/registry_dump.h"
#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

using DumpLines = std::vector<std::wstring>;

const std::wstring kClasses = L"HKCU\\Software\\Classes";
const std::wstring kProgramKey = L"Software\\Varnel\\Quillory";
// Windows Installer's own records of the products it installed for the user.
const std::wstring kUserRecords = L"HKCU\\Software\\Microsoft\\Installer";
const wchar_t kUpgradeCode[] = L"{" QLRY_MSI_UPGRADE_CODE L"}";
const wchar_t kNextVersion[] = QLRY_MSI_NEXT_VERSION;

std::wstring Target() { return LocalAppData() + L"\\Programs\\Quillory"; }
std::wstring Package() { return BinFile(L"Quillory.msi"); }
std::wstring NextPackage() { return BinFile(L"qlry_msi_next.msi"); }

int Msiexec(const std::wstring& action, const std::wstring& what) {
    return RunCaptured(SystemProgram(L"msiexec.exe"), action + L" \"" + what + L"\" /qn", 120000).exitCode;
}

struct Hives {
    DumpLines user, machine;
};
Hives DumpHives() { return {DumpTree(HKEY_CURRENT_USER, L"HKCU"), DumpTree(HKEY_LOCAL_MACHINE, L"HKLM")}; }

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}

// Sorted, in capitals: registry names keep the case they were first given.
DumpLines Folded(DumpLines lines) {
    for (auto& line : lines) line = Upper(line);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

DumpLines Filter(const DumpLines& lines, const std::wstring& key, bool under) {
    DumpLines out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                 [&](const std::wstring& line) { return LineIsUnder(line, key) == under; });
    return out;
}

std::wstring KeyOf(const std::wstring& line) { return line.substr(0, line.find(L'|')); }

// Windows Installer's own records: its lists, and an entry per product.
const std::wstring kMachineRecords = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer";
const std::wstring kInstalledApps = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

DumpLines OutsideRecords(const DumpLines& lines) {
    return Filter(Filter(lines, kUserRecords, false), kMachineRecords, false);
}

// The empty lists Windows Installer keeps once it has installed anything for
// a user: Windows has them from the start, Wine makes them on first use and
// leaves them behind after the last removal.
bool IsEmptyRecordList(const std::wstring& line) {
    static const std::wregex lists(
        LR"(HKCU\\Software\\Microsoft\\Installer(\\(Features|Products|UpgradeCodes))?)"
        LR"(|HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\)"
        LR"((UpgradeCodes|UserData(\\S-1-5-[-0-9]+(\\(Components|Products))?)?))");
    return std::regex_match(line, lists);
}

// Both hives as they were, but for Windows Installer's empty lists.
void ExpectAsBefore(const Hives& before, const Hives& after) {
    for (const auto& [was, is, where] : {std::tuple(&before.user, &after.user, "the user's hive"),
                                         std::tuple(&before.machine, &after.machine, "the machine-wide hive")}) {
        const TreeChanges changes = CompareDumps(*was, *is);
        EXPECT_EQ(DumpLines{}, changes.removed) << "removed from " << where;
        DumpLines left;
        std::copy_if(changes.added.begin(), changes.added.end(), std::back_inserter(left),
                     [](const std::wstring& line) { return !IsEmptyRecordList(line); });
        EXPECT_EQ(DumpLines{}, left) << "left in " << where;
    }
}

// Once the program has ended, its file can be opened for writing again.
bool WaitUntilUnused(const std::wstring& path) {
    for (int i = 0; i < 150; ++i) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

// The clipboard's text once it is `expected`, else the last text seen.
std::wstring WaitForClipboardText(const std::wstring& expected) {
    std::wstring text;
    for (int i = 0; i < 150; ++i) {
        if (ClipboardText(text) && text == expected) break;
        ::Sleep(100);
    }
    return text;
}

// The products of this upgrade code that are installed.
std::vector<std::wstring> InstalledProducts() {
    std::vector<std::wstring> products;
    wchar_t product[39];
    for (DWORD index = 0; ::MsiEnumRelatedProductsW(kUpgradeCode, 0, index, product) == ERROR_SUCCESS; ++index)
        products.push_back(product);
    return products;
}

std::wstring ProductInfo(const std::wstring& product, const wchar_t* property) {
    wchar_t value[256];
    DWORD length = 256;
    if (::MsiGetProductInfoW(product.c_str(), property, value, &length) != ERROR_SUCCESS) return L"<none>";
    return value;
}

// What DllInstall(TRUE, L"user") writes for QLRY_WS.dll in the installation
// folder, measured in this prefix and taken back again: the lines it adds
// below the user's classes, and the type library's lines. Wine's
// RegisterTypeLibForUser writes those machine-wide (HKLM\Software\Classes
// TypeLib and Interface, and again in the 32-bit view: Wow6432Node); Windows
// writes them below the user's classes, where the package writes them. So
// the 64-bit view's lines are moved there, with the keys above them that the
// user's hive lacked.
DumpLines PerUserRegistration(const Hives& clean) {
    const std::wstring dll = Target() + L"\\QLRY_WS.dll";
    EXPECT_EQ(0, ::SHCreateDirectoryExW(nullptr, Target().c_str(), nullptr));
    EXPECT_TRUE(::CopyFileW(DllPath().c_str(), dll.c_str(), FALSE));
    const std::wstring regsvr32 = SystemProgram(L"regsvr32.exe");
    EXPECT_EQ(0, RunCaptured(regsvr32, L"/s /n /i:user \"" + dll + L"\"").exitCode);
    const Hives registered = DumpHives();
    EXPECT_EQ(0, RunCaptured(regsvr32, L"/s /u /n /i:user \"" + dll + L"\"").exitCode);
    ::DeleteFileW(dll.c_str());
    ::RemoveDirectoryW(Target().c_str());
    ::RemoveDirectoryW((LocalAppData() + L"\\Programs").c_str());

    DumpLines lines = Filter(CompareDumps(clean.user, registered.user).added, kClasses, true);
    const std::wstring machineClasses = L"HKLM\\Software\\Classes\\";
    std::set<std::wstring> known;
    for (const auto& line : Folded(clean.user)) known.insert(line);
    for (const auto& line : CompareDumps(clean.machine, registered.machine).added) {
        const std::wstring folded = Upper(line);
        if (!folded.starts_with(Upper(machineClasses + L"TypeLib\\")) &&
            !folded.starts_with(Upper(machineClasses + L"Interface\\")))
            continue;
        const std::wstring moved = kClasses + L"\\" + line.substr(machineClasses.size());
        lines.push_back(moved);
        for (std::wstring key = KeyOf(moved); key.size() > kClasses.size(); key = key.substr(0, key.rfind(L'\\')))
            if (!known.count(Upper(key))) lines.push_back(key);
    }

    // Unregistering keeps the keys other software may share (CLSID, AppID…).
    DumpLines kept = Filter(CompareDumps(clean.user, DumpHives().user).added, kClasses, true);
    std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& line : kept)
        if (line.find(L'|') == std::wstring::npos) ::RegDeleteKeyW(HKEY_CURRENT_USER, line.substr(5).c_str());
    ExpectAsBefore(clean, DumpHives());
    return Folded(lines);
}

class MsiTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A user who never ran the program: removal takes its whole key.
        // Windows Installer also removes the empty keys above a key it
        // emptied, so an empty maker's key (other tests leave one) goes too.
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey.c_str());
        HKEY maker = nullptr;
        DWORD subKeys = 1, values = 1;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Varnel", 0, KEY_READ, &maker) == ERROR_SUCCESS) {
            ::RegQueryInfoKeyW(maker, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr);
            ::RegCloseKey(maker);
            if (subKeys == 0 && values == 0) ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Varnel");
        }
        programsExisted = FileExists(LocalAppData() + L"\\Programs");
        before = DumpHives();
    }
    void TearDown() override {
        // After a failure: nothing left for the next test.
        for (const auto& product : InstalledProducts()) Msiexec(L"/x", product);
    }

    void ExpectRemoved() {
        EXPECT_FALSE(FileExists(Target())) << "the installation folder is still there";
        EXPECT_EQ(programsExisted, FileExists(LocalAppData() + L"\\Programs"));
        EXPECT_TRUE(InstalledProducts().empty());
        ExpectAsBefore(before, DumpHives());
    }

    bool programsExisted = false;
    Hives before;
};

TEST_F(MsiTest, PackageIsPerUserWithoutElevationOrCustomActions) {
    MSIHANDLE summary = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::MsiGetSummaryInformationW(0, Package().c_str(), 0, &summary));
    UINT type = 0;
    INT wordCount = 0;
    FILETIME time = {};
    DWORD length = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::MsiSummaryInfoGetPropertyW(summary, PID_WORDCOUNT, &type, &wordCount, &time, nullptr,
                                                          &length));
    EXPECT_EQ(8, wordCount & 8) << "elevation not required";
    ::MsiCloseHandle(summary);

    MSIHANDLE database = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::MsiOpenDatabaseW(Package().c_str(), MSIDBOPEN_READONLY, &database));
    for (const wchar_t* query : {L"SELECT `Value` FROM `Property` WHERE `Property` = 'ALLUSERS'",
                                 L"SELECT `Action` FROM `CustomAction`"}) {
        MSIHANDLE view = 0, record = 0;
        ASSERT_EQ(ERROR_SUCCESS, ::MsiDatabaseOpenViewW(database, query, &view)) << Utf8(query);
        ASSERT_EQ(ERROR_SUCCESS, ::MsiViewExecute(view, 0));
        EXPECT_EQ(static_cast<UINT>(ERROR_NO_MORE_ITEMS), ::MsiViewFetch(view, &record)) << Utf8(query);
        if (record) ::MsiCloseHandle(record);
        ::MsiCloseHandle(view);
    }
    ::MsiCloseHandle(database);
}

TEST_F(MsiTest, InstallsThePerUserRegistrationWorksAndLeavesNoTrace) {
    ASSERT_EQ(0, Msiexec(L"/i", Package()));
    const Hives installed = DumpHives();
    for (const wchar_t* name : {L"Quillory.exe", L"QLRY_WS.dll"})
        EXPECT_TRUE(FileExists(Target() + L"\\" + name)) << Utf8(name);
    ASSERT_EQ(1u, InstalledProducts().size());
    // The Start-menu entries QuillorySetup.exe makes, the paste one with Ctrl+Alt+V.
    const std::wstring settingsLink = StartMenuEntryPath(L"Quillory Settings.lnk");
    const std::wstring pasteLink = StartMenuEntryPath(L"Paste Clipboard as New File.lnk");
    ExpectShortcut(settingsLink, Target() + L"\\Quillory.exe", L"/settings", 0);
    ExpectShortcut(pasteLink, Target() + L"\\Quillory.exe", L"-p /n /q /e", 0x0656);

    // The user's hive gains the registration, AppFolder and Windows
    // Installer's records; nothing else.
    const TreeChanges user = CompareDumps(before.user, installed.user);
    EXPECT_EQ(DumpLines{}, user.removed);
    DumpLines programKey = {L"HKCU\\" + kProgramKey, L"HKCU\\" + kProgramKey + L"|AppFolder=1:" + Target() + L"\\"};
    if (!std::binary_search(before.user.begin(), before.user.end(), L"HKCU\\Software\\Varnel"))
        programKey.insert(programKey.begin(), L"HKCU\\Software\\Varnel");
    EXPECT_EQ(programKey, Filter(Filter(user.added, kClasses, false), kUserRecords, false));
    const DumpLines registration = Folded(Filter(user.added, kClasses, true));
    EXPECT_TRUE(std::binary_search(registration.begin(), registration.end(),
                                   Upper(kClasses + L"\\CLSID\\" + kClsidMyContextMenu + L"\\InprocServer32|@=1:" +
                                         Target() + L"\\QLRY_WS.dll")));

    // The list of installed apps shows the package's own entry. Under Wine
    // that entry and Windows Installer's records of the product are the only
    // machine-wide change: Wine writes the entry machine-wide (Uninstall\{product
    // code}), and Windows Installer keeps a per-user product's records below
    // HKLM ...\Installer\UserData\<the user's SID> (Wine adds UpgradeCodes).
    const std::wstring product = InstalledProducts()[0];
    EXPECT_EQ(L"Quillory", ProductInfo(product, INSTALLPROPERTY_INSTALLEDPRODUCTNAME));
    EXPECT_EQ(L"Varnel", ProductInfo(product, INSTALLPROPERTY_PUBLISHER));
    const TreeChanges machine = CompareDumps(before.machine, installed.machine);
    EXPECT_EQ(DumpLines{}, machine.removed);
    EXPECT_EQ(DumpLines{}, Filter(Filter(machine.added, kMachineRecords, false), kInstalledApps + L"\\" + product, false))
        << "written machine-wide";
    std::cout << "[ machine-wide lines added by msiexec (Windows Installer's records): " << machine.added.size()
              << " ]\n";

    // The stand-in Explorer uses the installed extension, which starts the
    // installed program.
    const std::wstring file = MakeTempFolder(L"msi-work") + L"\\copied.txt";
    WriteFileBytes(file, "copied through the installed extension");
    ASSERT_TRUE(EmptyTheClipboard());
    ProcessResult host =
        RunCaptured(BinFile(L"qlry_explorer_host.exe"), L"--per-user --invoke \"Copy File Contents to Clipboard\" \"" +
                                                           file + L"\"");
    EXPECT_NE(std::string::npos, host.output.find("handler: dll " + Utf8(Target()) + "\\QLRY_WS.dll 0x00000000"))
        << host.output;
    EXPECT_NE(std::string::npos, host.output.find("invoke \"Copy File Contents to Clipboard\": 0x00000000"))
        << host.output;
    const std::wstring copied = L"copied through the installed extension\r\n";  // every line copied ends with one
    EXPECT_EQ(copied, WaitForClipboardText(copied));
    EXPECT_TRUE(WaitUntilUnused(Target() + L"\\Quillory.exe"));

    // Settings the program remembered go with it.
    HKEY settings = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, (kProgramKey + L"\\Remembered").c_str(), 0, nullptr,
                                               0, KEY_WRITE, nullptr, &settings, nullptr));
    ::RegSetValueExW(settings, L".txt", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    ::RegCloseKey(settings);

    ASSERT_EQ(0, Msiexec(L"/x", Package()));
    ExpectRemoved();
    EXPECT_FALSE(FileExists(settingsLink));
    EXPECT_FALSE(FileExists(pasteLink));

    // What the package wrote below the classes is what the DLL writes.
    const DumpLines expected = PerUserRegistration(before);
    const TreeChanges differences = CompareDumps(expected, registration);
    EXPECT_EQ(DumpLines{}, differences.added) << "written by the package only";
    EXPECT_EQ(DumpLines{}, differences.removed) << "written by the DLL only";
    EXPECT_GT(expected.size(), 40u);
}

TEST_F(MsiTest, InstallingTheSameVersionAgainChangesNothing) {
    ASSERT_EQ(0, Msiexec(L"/i", Package()));
    const Hives once = DumpHives();
    EXPECT_EQ(0, Msiexec(L"/i", Package()));
    const Hives twice = DumpHives();
    // Windows Installer notes the source once more; nothing else changes.
    for (const auto& [first, second] : {std::pair(&once.user, &twice.user), std::pair(&once.machine, &twice.machine)}) {
        const TreeChanges changes = CompareDumps(OutsideRecords(*first), OutsideRecords(*second));
        EXPECT_EQ(DumpLines{}, changes.added);
        EXPECT_EQ(DumpLines{}, changes.removed);
    }
    EXPECT_EQ(1u, InstalledProducts().size());
    ASSERT_EQ(0, Msiexec(L"/x", Package()));
    ExpectRemoved();
}

TEST_F(MsiTest, NewerVersionReplacesTheOlderAndIsNotDowngraded) {
    ASSERT_EQ(0, Msiexec(L"/i", Package()));
    const DumpLines older = Filter(DumpHives().user, kClasses, true);
    ASSERT_EQ(0, Msiexec(L"/i", NextPackage()));
    const auto products = InstalledProducts();
    ASSERT_EQ(1u, products.size()) << "both versions installed";
    EXPECT_EQ(kNextVersion, ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING));
    EXPECT_EQ(older, Filter(DumpHives().user, kClasses, true));
    for (const wchar_t* name : {L"Quillory.exe", L"QLRY_WS.dll"})
        EXPECT_TRUE(FileExists(Target() + L"\\" + name)) << Utf8(name);

    EXPECT_NE(0, Msiexec(L"/i", Package())) << "an older version installed over a newer one";
    EXPECT_EQ(products, InstalledProducts());
    ASSERT_EQ(0, Msiexec(L"/x", NextPackage()));
    ExpectRemoved();
}

TEST_F(MsiTest, OtherFilesInTheFolderStay) {
    ASSERT_EQ(0, ::SHCreateDirectoryExW(nullptr, Target().c_str(), nullptr));
    const std::wstring notes = Target() + L"\\notes.txt";
    WriteFileBytes(notes, "mine");
    ASSERT_EQ(0, Msiexec(L"/i", Package()));
    ASSERT_EQ(0, Msiexec(L"/x", Package()));
    EXPECT_EQ("mine", ReadFileBytes(notes));
    EXPECT_FALSE(FileExists(Target() + L"\\QLRY_WS.dll"));
    EXPECT_FALSE(FileExists(Target() + L"\\Quillory.exe"));
    ::DeleteFileW(notes.c_str());
    ::RemoveDirectoryW(Target().c_str());
    if (!programsExisted) ::RemoveDirectoryW((LocalAppData() + L"\\Programs").c_str());
    ExpectRemoved();
}

TEST_F(MsiTest, RemovalAfterTheFilesWereDeletedStillRemovesTheKeys) {
    ASSERT_EQ(0, Msiexec(L"/i", Package()));
    for (const wchar_t* name : {L"Quillory.exe", L"QLRY_WS.dll"})
        ASSERT_TRUE(::DeleteFileW((Target() + L"\\" + name).c_str())) << Utf8(name);
    ASSERT_EQ(0, Msiexec(L"/x", Package()));
    ExpectRemoved();
}

}  // namespace
}  // namespace qlry::wintest
