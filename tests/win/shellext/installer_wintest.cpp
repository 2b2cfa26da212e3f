// QuillorySetup: a per-user installation that works from the context menu,
// and an uninstallation that leaves the registry and the disk as they were.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <iostream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/win32/shell_link.h"
#include "shellext/class_ids.h"
#include "win/shellext/registry_dump.h"
#include "win/shellext/shellext_win_support.h"
#include "win/support/win_test_support.h"

namespace qlry::wintest {
namespace {

// Everything an installation could touch.
std::vector<std::wstring> Snapshot() {
    std::vector<std::wstring> lines = DumpKey(HKEY_CURRENT_USER, L"Software");
    for (const std::wstring& key : {std::wstring(L"Software\\Classes\\TypeLib\\") + kLibIdQlryWsLib,
                                   std::wstring(L"Software\\Classes\\Interface\\") + kIidIMyContextMenu,
                                   std::wstring(L"Software\\Classes\\CLSID\\") + kIidIMyContextMenu}) {
        auto dump = DumpKey(HKEY_LOCAL_MACHINE, key);
        lines.insert(lines.end(), dump.begin(), dump.end());
    }
    return lines;
}

// Lines of `a` missing from `b`.
std::vector<std::wstring> Missing(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) {
    std::vector<std::wstring> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

void ExpectSameRegistry(std::vector<std::wstring> before, std::vector<std::wstring> after) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(std::vector<std::wstring>{}, Missing(before, after)) << "removed";
    EXPECT_EQ(std::vector<std::wstring>{}, Missing(after, before)) << "left behind";
}

// The deliverables to install, in a folder of their own: the DLL, and the
// recorder as the program (or the real program when it is built).
std::wstring SourceFolder() {
    std::wstring source = MakeTempFolder(L"setup-source");
    EXPECT_TRUE(::CopyFileW(DllPath().c_str(), (source + L"\\QLRY_WS.dll").c_str(), FALSE));
    std::wstring program = FileExists(BinFile(L"Quillory.exe")) ? BinFile(L"Quillory.exe")
                                                                 : BinFile(L"qlry_cmdline_recorder.exe");
    EXPECT_TRUE(::CopyFileW(program.c_str(), (source + L"\\Quillory.exe").c_str(), FALSE));
    return source;
}

TEST(Installer, RoundTripLeavesNoTrace) {
    const std::wstring source = SourceFolder();

    const std::wstring target = LocalAppData() + L"\\Programs\\Quillory";
    const bool programsExisted = FileExists(LocalAppData() + L"\\Programs");
    // A user who never ran the program: uninstalling removes the program's
    // whole key, settings that other tests in this prefix left included.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Varnel\\Quillory");
    const auto before = Snapshot();

    ProcessResult setup = RunCaptured(BinFile(L"QuillorySetup.exe"), L"/from \"" + source + L"\"");
    ASSERT_EQ(0, setup.exitCode) << setup.output;
    for (const wchar_t* name : {L"Quillory.exe", L"QLRY_WS.dll", L"QuillorySetup.exe"})
        EXPECT_TRUE(FileExists(target + L"\\" + name)) << Utf8(name);
    EXPECT_EQ(target, ReadString(HKEY_CURRENT_USER, L"Software\\Varnel\\Quillory", L"AppFolder"));
    EXPECT_EQ(target + L"\\QLRY_WS.dll",
              ReadString(HKEY_CURRENT_USER,
                         std::wstring(L"Software\\Classes\\CLSID\\") + kClsidMyContextMenu + L"\\InprocServer32", L""));
    const std::wstring entry = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillory";
    EXPECT_EQ(L"Quillory", ReadString(HKEY_CURRENT_USER, entry, L"DisplayName"));
    EXPECT_EQ(L"\"" + target + L"\\QuillorySetup.exe\" /uninstall",
              ReadString(HKEY_CURRENT_USER, entry, L"UninstallString"));

    // The installed extension offers its menu.
    std::wstring file = MakeTempFolder(L"setup-work") + L"\\installed.txt";
    WriteFileBytes(file, "x");
    ASSERT_TRUE(EmptyTheClipboard());
    ProcessResult host = RunCaptured(BinFile(L"qlry_explorer_host.exe"), L"--per-user \"" + file + L"\"");
    EXPECT_NE(std::string::npos, host.output.find("handler: dll " + Utf8(target) + "\\QLRY_WS.dll 0x00000000"))
        << host.output;
    EXPECT_NE(std::string::npos, host.output.find("\"Copy File Contents to Clipboard\"")) << host.output;

    // The Start-menu entries: the settings window, and the quick paste into
    // the active Explorer window with Ctrl+Alt+V.
    const std::wstring settingsLink = StartMenuEntryPath(L"Quillory Settings.lnk");
    const std::wstring pasteLink = StartMenuEntryPath(L"Paste Clipboard as New File.lnk");
    ExpectShortcut(settingsLink, target + L"\\Quillory.exe", L"/settings", 0);
    ExpectShortcut(pasteLink, target + L"\\Quillory.exe", L"-p /n /q /e", 0x0656);

    // Uninstalling as a user would: through the entry's command.
    ProcessResult remove = RunCaptured(target + L"\\QuillorySetup.exe", L"/uninstall");
    ASSERT_EQ(0, remove.exitCode) << remove.output;
    EXPECT_FALSE(FileExists(settingsLink));
    EXPECT_FALSE(FileExists(pasteLink));
    EXPECT_TRUE(WaitUntilGone(target)) << "the installation folder is still there";
    EXPECT_EQ(programsExisted, FileExists(LocalAppData() + L"\\Programs"));
    ExpectSameRegistry(before, Snapshot());
}

// Wine's RegisterTypeLibForUser writes the type library's keys, and those of
// the dual interface it describes, machine-wide under HKLM\Software\Classes
// (Windows writes them below the current user's classes), and for a 64-bit
// library once more in the 32-bit view (Software\Wow6432Node\Classes, which
// the dump also meets through its alias Software\Classes\Wow6432Node). Its
// UnRegisterTypeLibForUser removes them again. These trees are the only
// machine-wide change a per-user installation may make under Wine.
std::vector<std::wstring> WineTypeLibKeys() {
    std::vector<std::wstring> keys;
    for (const wchar_t* view : {L"HKLM\\Software\\Classes\\", L"HKLM\\Software\\Classes\\Wow6432Node\\",
                                L"HKLM\\Software\\Wow6432Node\\Classes\\"}) {
        keys.push_back(view + std::wstring(L"TypeLib\\") + kLibIdQlryWsLib);
        keys.push_back(view + std::wstring(L"Interface\\") + kIidIMyContextMenu);
    }
    return keys;
}

bool UnderWineTypeLibKeys(const std::wstring& line) {
    for (const auto& key : WineTypeLibKeys())
        if (LineIsUnder(line, key)) return true;
    return false;
}

std::string Listed(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const auto& line : lines) text += "  " + Utf8(line) + "\n";
    return text;
}

// A user without administrator rights can write only their own hive: the
// installation must leave HKEY_LOCAL_MACHINE as it found it (but for Wine's
// type library keys above), and the uninstallation must leave both hives
// exactly as they were.
TEST(Installer, PerUserRoundTripLeavesTheMachineHiveAlone) {
    const std::wstring source = SourceFolder();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Varnel\\Quillory");
    const auto machineBefore = DumpTree(HKEY_LOCAL_MACHINE, L"HKLM");
    const auto userBefore = DumpTree(HKEY_CURRENT_USER, L"HKCU");
    ASSERT_GT(machineBefore.size(), 1000u) << "the machine hive could not be read";

    ProcessResult setup = RunCaptured(BinFile(L"QuillorySetup.exe"), L"/from \"" + source + L"\"");
    ASSERT_EQ(0, setup.exitCode) << setup.output;
    const TreeChanges installed = CompareDumps(machineBefore, DumpTree(HKEY_LOCAL_MACHINE, L"HKLM"));
    EXPECT_EQ(std::vector<std::wstring>{}, installed.removed) << "removed machine-wide";
    std::vector<std::wstring> foreign;
    std::copy_if(installed.added.begin(), installed.added.end(), std::back_inserter(foreign),
                 [](const std::wstring& line) { return !UnderWineTypeLibKeys(line); });
    EXPECT_EQ(std::vector<std::wstring>{}, foreign) << "written machine-wide";
    std::cout << "[ machine-wide lines added by Wine's RegisterTypeLibForUser: " << installed.added.size() << " of "
              << machineBefore.size() + installed.added.size() << " in HKLM ]\n"
              << Listed(installed.added);
    // What the proxy/stub's registration would have added: its own class
    // key, and the interface marshalled through it instead of the type
    // library's marshaller.
    const std::wstring classes = L"Software\\Classes\\";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, classes + L"CLSID\\" + kIidIMyContextMenu));
    const std::wstring proxyStub = classes + L"Interface\\" + kIidIMyContextMenu + L"\\ProxyStubClsid32";
    EXPECT_NE(kIidIMyContextMenu, ReadString(HKEY_LOCAL_MACHINE, proxyStub, L""));
    // The per-user registration itself is in the user's hive.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, classes + L"CLSID\\" + kClsidMyContextMenu + L"\\InprocServer32"));

    const std::wstring target = LocalAppData() + L"\\Programs\\Quillory";
    ProcessResult remove = RunCaptured(target + L"\\QuillorySetup.exe", L"/uninstall");
    ASSERT_EQ(0, remove.exitCode) << remove.output;
    EXPECT_TRUE(WaitUntilGone(target));
    const TreeChanges machine = CompareDumps(machineBefore, DumpTree(HKEY_LOCAL_MACHINE, L"HKLM"));
    EXPECT_EQ(std::vector<std::wstring>{}, machine.added) << "left machine-wide";
    EXPECT_EQ(std::vector<std::wstring>{}, machine.removed) << "removed machine-wide";
    const TreeChanges user = CompareDumps(userBefore, DumpTree(HKEY_CURRENT_USER, L"HKCU"));
    EXPECT_EQ(std::vector<std::wstring>{}, user.added) << "left in the user's hive";
    EXPECT_EQ(std::vector<std::wstring>{}, user.removed) << "removed from the user's hive";
}

TEST(Installer, MissingDeliverablesInstallNothing) {
    std::wstring empty = MakeTempFolder(L"setup-empty");
    const auto before = Snapshot();
    ProcessResult setup = RunCaptured(BinFile(L"QuillorySetup.exe"), L"/from \"" + empty + L"\"");
    EXPECT_EQ(1, setup.exitCode);
    EXPECT_NE(std::string::npos, setup.output.find("missing")) << setup.output;
    ExpectSameRegistry(before, Snapshot());
}

}  // namespace
}  // namespace qlry::wintest
