// The settings window's rules: what it shows, what OK accepts and writes.
#include "settings/settings_dlg.h"

#include <gtest/gtest.h>

#include "support/fake_services.h"

namespace qlry::test {
namespace {

struct Settings : ::testing::Test {
    FakeProfile profile;
    int Stored(const wchar_t* entry) { return profile.GetInt(L"Settings", entry, -1); }
};

TEST_F(Settings, DefaultsWhenNothingIsStored) {
    const UserSettings settings = LoadUserSettings(profile);
    EXPECT_TRUE(settings.askForName);
    EXPECT_EQ(settings.quality, 90);
    EXPECT_EQ(settings.hotKey, 0x0656);  // Ctrl+Alt+V
}

TEST_F(Settings, RoundTripThroughTheProfile) {
    const UserSettings chosen{false, 35, MakeHotKey(kHotKeyControl | kHotKeyShift, 'Q')};
    ASSERT_TRUE(SaveUserSettings(profile, chosen));
    EXPECT_EQ(Stored(L"AskForName"), 0);
    EXPECT_EQ(Stored(L"Quality"), 35);
    EXPECT_EQ(Stored(L"HotKey"), 0x0351);
    EXPECT_EQ(LoadUserSettings(profile), chosen);
    // No shortcut at all is kept too.
    ASSERT_TRUE(SaveUserSettings(profile, {true, 100, 0}));
    EXPECT_EQ(LoadUserSettings(profile).hotKey, 0);
}

TEST_F(Settings, UnusableStoredValuesGiveTheDefaults) {
    profile.ints[{L"Settings", L"Quality"}] = 0;
    profile.ints[{L"Settings", L"HotKey"}] = 'V';  // no Ctrl or Alt
    profile.ints[{L"Settings", L"AskForName"}] = 7;
    const UserSettings settings = LoadUserSettings(profile);
    EXPECT_EQ(settings.quality, 90);
    EXPECT_EQ(settings.hotKey, kDefaultHotKey);
    EXPECT_TRUE(settings.askForName);
}

TEST_F(Settings, QualityText) {
    const std::pair<const wchar_t*, int> rows[] = {
        {L"1", 1}, {L"100", 100}, {L" 75 ", 75}, {L"090", 90}, {L"0", -1}, {L"101", -1}, {L"", -1},
        {L"-5", -1}, {L"7x", -1}, {L"99999999999999999999", -1},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(ParseQuality(text).value_or(-1), expected) << text;
}

TEST_F(Settings, OkWritesAllThreeAndRefusalsWriteNothing) {
    CSettingsDlg dialog(profile);
    EXPECT_EQ(dialog.OnOK(true, L"250", kDefaultHotKey), kQualityRangeMessage);
    EXPECT_EQ(dialog.m_refused, CSettingsDlg::QualityField);
    EXPECT_EQ(dialog.OnOK(true, L"80", 'V'), kHotKeyMessage);
    EXPECT_EQ(dialog.m_refused, CSettingsDlg::HotKeyField);
    EXPECT_TRUE(profile.ints.empty());

    EXPECT_EQ(dialog.OnOK(false, L"80", MakeHotKey(kHotKeyAlt, 'P')), L"");
    EXPECT_EQ(dialog.m_refused, CSettingsDlg::NoField);
    EXPECT_EQ(Stored(L"AskForName"), 0);
    EXPECT_EQ(Stored(L"Quality"), 80);
    EXPECT_EQ(Stored(L"HotKey"), 0x0450);
    EXPECT_EQ(dialog.m_original, UserSettings{});
}

}  // namespace
}  // namespace qlry::test
