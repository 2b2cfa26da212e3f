// Quillory.exe's quick paste against the real clipboard: "/q" names the new
// file at once, "/e" finds the folder of the window in front.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "win/support/win_test_support.h"

namespace {

using namespace qlry::wintest;

constexpr wchar_t kSettingsKey[] = L"Software\\Varnel\\Quillory\\Settings";

void SetDword(const wchar_t* name, DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

void SetString(const wchar_t* name, const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()),
                                        nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}

std::wstring Stamp(const SYSTEMTIME& t) {
    wchar_t text[32];
    swprintf(text, 32, L"%04u%02u%02u %02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

// The timestamp names of the next `seconds` seconds, from now on.
std::vector<std::wstring> ComingStamps(int seconds) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    std::vector<std::wstring> stamps;
    for (int i = 0; i < seconds; ++i) {
        ULARGE_INTEGER at{{now.dwLowDateTime, now.dwHighDateTime}};
        at.QuadPart += 10000000ULL * static_cast<ULONGLONG>(i);
        FILETIME utc{at.LowPart, at.HighPart}, local{};
        SYSTEMTIME time{};
        ::FileTimeToLocalFileTime(&utc, &local);
        ::FileTimeToSystemTime(&local, &time);
        stamps.push_back(Stamp(time));
    }
    return stamps;
}

bool IsStampName(const std::wstring& name, const std::wstring& ext) {
    if (name.size() != 15 + ext.size() || name.substr(15) != ext || name[8] != L' ') return false;
    for (size_t i = 0; i < 15; ++i)
        if (i != 8 && !std::iswdigit(name[i])) return false;
    return true;
}

// The first value of a JPEG file's first quantisation table (16-bit tables included).
int FirstQuantValue(const std::string& jpeg) {
    const size_t at = jpeg.find("\xFF\xDB");
    if (at == std::string::npos || at + 6 >= jpeg.size()) return -1;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(jpeg[at + i]); };
    return (byte(4) >> 4) != 0 ? byte(5) << 8 | byte(6) : byte(5);
}

struct QuickPaste : ::testing::Test {
    std::wstring folder;
    void SetUp() override {
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = MakeTempFolder(L"quick-" + std::wstring(name, name + std::strlen(name)));
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    int Quick(const std::wstring& target) { return RunQuillory(L"-p \"" + target + L"\" /n /q", 15000); }
    std::vector<std::wstring> Entries() { return FolderEntries(folder); }
};

TEST_F(QuickPaste, TextIsWrittenAtOnceUnderTheTimeWithTheRememberedExtension) {
    ASSERT_TRUE(PutClipboardText(L"line one\nline two"));
    ASSERT_EQ(Quick(folder), 0);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(IsStampName(Entries()[0], L".txt")) << Utf8(Entries()[0]);
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + Entries()[0]), "line one\r\nline two");

    SetString(L"TextExtension", L".md");
    for (const auto& name : Entries()) ::DeleteFileW((folder + L"\\" + name).c_str());
    ASSERT_EQ(Quick(folder), 0);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(IsStampName(Entries()[0], L".md")) << Utf8(Entries()[0]);
}

TEST_F(QuickPaste, ATakenNameGetsTheNextNumber) {
    // Every name of the coming seconds is taken already.
    const auto stamps = ComingStamps(20);
    for (const auto& stamp : stamps) WriteFileBytes(folder + L"\\" + stamp + L".txt", "old");
    ASSERT_TRUE(PutClipboardText(L"new"));
    ASSERT_EQ(Quick(folder), 0);
    std::vector<std::wstring> added;
    for (const auto& name : Entries())
        if (name.find(L" (2).txt") != std::wstring::npos) added.push_back(name);
    ASSERT_EQ(added.size(), 1u);
    const std::wstring stamp = added[0].substr(0, 15);
    EXPECT_NE(std::find(stamps.begin(), stamps.end(), stamp), stamps.end());
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + added[0]), "new");
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + stamp + L".txt"), "old");
    EXPECT_EQ(Entries().size(), stamps.size() + 1);
}

TEST_F(QuickPaste, AnImageGoesToTheRememberedFormatAtTheStoredQuality) {
    ASSERT_TRUE(PutClipboardBitmap(40, 30, RGB(10, 200, 90)));
    SetDword(L"ImageExtension", 1);  // .jpg
    SetDword(L"Quality", 100);
    ASSERT_EQ(Quick(folder), 0);
    ASSERT_EQ(Entries().size(), 1u);
    ASSERT_TRUE(IsStampName(Entries()[0], L".jpg")) << Utf8(Entries()[0]);
    const std::string best = ReadFileBytes(folder + L"\\" + Entries()[0]);
    EXPECT_EQ(best.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(FirstQuantValue(best), 1);
    ::DeleteFileW((folder + L"\\" + Entries()[0]).c_str());

    SetDword(L"Quality", 10);
    ASSERT_EQ(Quick(folder), 0);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_GT(FirstQuantValue(ReadFileBytes(folder + L"\\" + Entries()[0])), 16);
}

TEST_F(QuickPaste, BadTargetsAndAnEmptyClipboardWriteNothingAndEndQuietly) {
    ASSERT_TRUE(PutClipboardText(L"text"));
    EXPECT_EQ(Quick(folder + L"\\missing"), 0);
    EXPECT_FALSE(FileExists(folder + L"\\missing"));
    const std::wstring file = folder + L"\\plain.txt";
    WriteFileBytes(file, "a file, not a folder");
    EXPECT_EQ(Quick(file), 0);
    ASSERT_TRUE(EmptyTheClipboard());
    EXPECT_EQ(Quick(folder), 0);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"plain.txt"});
    EXPECT_EQ(ReadFileBytes(file), "a file, not a folder");
}

// A window of this process in front, of the given class: the desktop's
// "Progman", or an ordinary one.
struct FrontWindow {
    HWND window = nullptr;
    explicit FrontWindow(const wchar_t* className) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, className, L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ::SetForegroundWindow(window);
    }
    ~FrontWindow() {
        ::DestroyWindow(window);
    }
};

// A registry value that a scope changes and puts back as it was.
class ValueScope {
public:
    ValueScope(const wchar_t* key, const wchar_t* name) : m_key(key), m_name(name) {
        DWORD bytes = sizeof m_old;
        m_had = ::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type, m_old, &bytes) ==
                ERROR_SUCCESS;
        m_bytes = bytes;
    }
    ~ValueScope() {
        if (m_had)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, m_key, m_name, m_type, m_old, m_bytes);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key, m_name);
    }
    ValueScope(const ValueScope&) = delete;
    ValueScope& operator=(const ValueScope&) = delete;

private:
    const wchar_t* m_key;
    const wchar_t* m_name;
    bool m_had = false;
    DWORD m_type = 0, m_bytes = 0;
    wchar_t m_old[MAX_PATH] = {};
};

// The desktop folder pointed elsewhere for one scope: User Shell Folders
// names it, and Wine caches what it found under Shell Folders.
struct DesktopScope {
    static constexpr wchar_t kUserKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr wchar_t kCacheKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    ValueScope user{kUserKey, L"Desktop"};
    ValueScope cache{kCacheKey, L"Desktop"};
    explicit DesktopScope(const std::wstring& folder) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kUserKey, L"Desktop", REG_EXPAND_SZ, folder.c_str(),
                          static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
};

TEST_F(QuickPaste, ActiveFolderSwitchPastesOntoTheDesktopWhenItIsInFront) {
    DesktopScope desktop(folder);
    ASSERT_TRUE(PutClipboardText(L"on the desktop"));
    FrontWindow front(L"Progman");
    ASSERT_EQ(::GetForegroundWindow(), front.window) << "Wine gave the test window no foreground";
    ASSERT_EQ(RunQuillory(L"-p /n /q /e", 15000), 0);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(IsStampName(Entries()[0], L".txt")) << Utf8(Entries()[0]);
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + Entries()[0]), "on the desktop");
}

TEST_F(QuickPaste, ActiveFolderSwitchDoesNothingForAnyOtherWindow) {
    DesktopScope desktop(folder);
    ASSERT_TRUE(PutClipboardText(L"nowhere"));
    FrontWindow front(L"QlryOrdinaryWindow");
    ASSERT_EQ(::GetForegroundWindow(), front.window);
    ASSERT_EQ(RunQuillory(L"-p /n /q /e", 15000), 0);
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
