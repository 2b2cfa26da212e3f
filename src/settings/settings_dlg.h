#pragma once
// The state and rules of the settings window: the three per-user settings
// it shows, what OK accepts and what it writes. The Win32 dialog
// (settings/win32/settings_window.h) shows it.
#include <cstdint>
#include <optional>
#include <string>

#include "common/user_settings.h"
#include "platform/profile.h"

namespace qlry {

struct UserSettings {
    bool askForName = kDefaultAskForName != 0;
    int quality = kDefaultQuality;
    uint16_t hotKey = kDefaultHotKey;

    bool operator==(const UserSettings&) const = default;
};

// The settings as stored; absent or unusable values give the defaults.
UserSettings LoadUserSettings(Profile& profile);

// Writes all three; false when any write failed.
bool SaveUserSettings(Profile& profile, const UserSettings& settings);

// A quality typed by the user: 1 to 100, digits only, blanks around allowed.
std::optional<int> ParseQuality(const std::wstring& text);

inline constexpr wchar_t kQualityRangeMessage[] =
    L"The quality must be a whole number from 1 to 100.\nPlease enter it again.";
inline constexpr wchar_t kHotKeyMessage[] =
    L"A keyboard shortcut needs Ctrl or Alt with another key, for example Ctrl+Alt+V.\nPlease press it again, "
    L"or Backspace for no shortcut.";
inline constexpr wchar_t kNotStoredMessage[] = L"The settings could not be stored.";

class CSettingsDlg {
public:
    enum Field { NoField, QualityField, HotKeyField };

    explicit CSettingsDlg(Profile& profile)
        : m_profile(profile), m_settings(LoadUserSettings(profile)), m_original(m_settings) {}

    // OK with the window's values. Empty when they were written and the
    // window may close; otherwise the message to show, and m_refused names
    // the field to correct. Nothing is written then.
    std::wstring OnOK(bool askForName, const std::wstring& qualityText, uint16_t hotKey);

    Profile& m_profile;
    UserSettings m_settings;     // shown at the start; the accepted values after OK
    UserSettings m_original;     // as they were when the window opened
    Field m_refused = NoField;
};

}  // namespace qlry
