// Quillory.exe /settings, driven by messages from this process: what the
// window shows, what OK writes (and gives the Start-menu shortcut), and that
// Cancel and refused values write nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/win32/lazy_com.h"
#include "platform/win32/shell_link.h"
#include "win/support/win_test_support.h"

namespace {

using namespace qlry::wintest;

constexpr wchar_t kSettingsKey[] = L"Software\\Varnel\\Quillory\\Settings";
constexpr int kAskName = 1101, kTimestampName = 1102, kQuality = 1103, kHotKey = 1105;

DWORD Stored(const wchar_t* name, DWORD missing = 0xDEAD) {
    DWORD value = 0, bytes = sizeof value;
    return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) ==
                   ERROR_SUCCESS
               ? value
               : missing;
}

// The program with its settings window; ended when the object goes.
class SettingsSession {
public:
    SettingsSession() : m_process(StartProgram(BinFolder() + L"\\Quillory.exe", L"/settings")) {}
    ~SettingsSession() {
        if (!m_process) return;
        if (::WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) ::TerminateProcess(m_process, 1);
        ::CloseHandle(m_process);
    }
    SettingsSession(const SettingsSession&) = delete;
    SettingsSession& operator=(const SettingsSession&) = delete;

    HWND Find(const wchar_t* caption) {
        const DWORD id = m_process ? ::GetProcessId(m_process) : 0;
        for (int i = 0; i < 500 && id; ++i) {
            HWND window = nullptr;
            while ((window = ::FindWindowExW(nullptr, window, L"#32770", caption)) != nullptr) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == id && ::IsWindowVisible(window)) return window;
            }
            ::Sleep(20);
        }
        return nullptr;
    }
    HWND Dialog() { return m_dialog ? m_dialog : (m_dialog = Find(L"Quillory Settings")); }
    LRESULT Send(int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ::SendDlgItemMessageW(Dialog(), id, message, w, l);
    }
    std::wstring Text(int id) {
        wchar_t text[64] = {};
        Send(id, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Press(int id) { ::PostMessageW(::GetDlgItem(Dialog(), id), BM_CLICK, 0, 0); }
    bool Ended(DWORD ms = 10000) { return m_process && ::WaitForSingleObject(m_process, ms) == WAIT_OBJECT_0; }

private:
    HANDLE m_process;
    HWND m_dialog = nullptr;
};

struct SettingsWindow : ::testing::Test {
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
};

TEST_F(SettingsWindow, ShowsTheDefaultsAndCancelWritesNothing) {
    SettingsSession session;
    ASSERT_NE(session.Dialog(), nullptr) << "no settings window appeared";
    EXPECT_EQ(session.Send(kAskName, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(session.Send(kTimestampName, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(session.Text(kQuality), L"90");
    EXPECT_EQ(session.Send(kHotKey, HKM_GETHOTKEY) & 0xFFFF, 0x0656);  // Ctrl+Alt+V
    session.Send(kQuality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"55"));
    session.Press(IDCANCEL);
    ASSERT_TRUE(session.Ended());
    EXPECT_EQ(Stored(L"Quality"), 0xDEADu);
    EXPECT_EQ(Stored(L"AskForName"), 0xDEADu);
}

TEST_F(SettingsWindow, OkStoresTheValuesAndTheShortcutTakesTheHotKey) {
    // A shortcut as the setup makes it, so that OK has one to change.
    qlry::ComScope com;
    const std::wstring link = qlry::StartMenuEntryPath(L"Paste Clipboard as New File.lnk");
    ASSERT_FALSE(link.empty());
    ASSERT_TRUE(qlry::WriteShortcut(link, {BinFolder() + L"\\Quillory.exe", L"-p /n /q /e", BinFolder(), L"", 0x0656}));

    SettingsSession session;
    ASSERT_NE(session.Dialog(), nullptr);
    session.Send(kTimestampName, BM_CLICK);
    session.Send(kQuality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"42"));
    session.Send(kHotKey, HKM_SETHOTKEY, 0x0351);  // Ctrl+Shift+Q
    session.Press(IDOK);
    ASSERT_TRUE(session.Ended());
    EXPECT_EQ(Stored(L"AskForName"), 0u);
    EXPECT_EQ(Stored(L"Quality"), 42u);
    EXPECT_EQ(Stored(L"HotKey"), 0x0351u);
    uint16_t hotKey = 0;
    EXPECT_TRUE(qlry::ReadShortcutHotKey(link, hotKey));
    EXPECT_EQ(hotKey, 0x0351);
    ::DeleteFileW(link.c_str());

    // The next start shows what is stored.
    SettingsSession again;
    ASSERT_NE(again.Dialog(), nullptr);
    EXPECT_EQ(again.Send(kTimestampName, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(again.Text(kQuality), L"42");
    EXPECT_EQ(again.Send(kHotKey, HKM_GETHOTKEY) & 0xFFFF, 0x0351);
    again.Press(IDCANCEL);
    EXPECT_TRUE(again.Ended());
}

TEST_F(SettingsWindow, AQualityOutOfRangeIsRefusedAndTheWindowStays) {
    SettingsSession session;
    ASSERT_NE(session.Dialog(), nullptr);
    session.Send(kQuality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
    session.Press(IDOK);
    HWND box = session.Find(L"Quillory");
    ASSERT_NE(box, nullptr) << "no message about the quality";
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(session.Ended(500));
    EXPECT_EQ(Stored(L"Quality"), 0xDEADu);
    session.Press(IDCANCEL);
    EXPECT_TRUE(session.Ended());
}

}  // namespace
