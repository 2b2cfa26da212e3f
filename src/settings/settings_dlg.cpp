#include "settings/settings_dlg.h"

namespace qlry {

UserSettings LoadUserSettings(Profile& profile) {
    UserSettings settings;
    settings.askForName = profile.GetInt(kSettingsSection, kAskForNameEntry, kDefaultAskForName) != 0;
    settings.quality = UsableQuality(profile.GetInt(kSettingsSection, kQualityEntry, kDefaultQuality));
    const auto hotKey = static_cast<uint32_t>(profile.GetInt(kSettingsSection, kHotKeyEntry, kDefaultHotKey));
    settings.hotKey = IsUsableHotKey(hotKey) ? static_cast<uint16_t>(hotKey) : kDefaultHotKey;
    return settings;
}

bool SaveUserSettings(Profile& profile, const UserSettings& settings) {
    const bool ask = profile.WriteInt(kSettingsSection, kAskForNameEntry, settings.askForName ? 1 : 0);
    const bool quality = profile.WriteInt(kSettingsSection, kQualityEntry, settings.quality);
    const bool hotKey = profile.WriteInt(kSettingsSection, kHotKeyEntry, settings.hotKey);
    return ask && quality && hotKey;
}

std::optional<int> ParseQuality(const std::wstring& text) {
    const size_t begin = text.find_first_not_of(L' ');
    if (begin == std::wstring::npos) return std::nullopt;
    const size_t end = text.find_last_not_of(L' ') + 1;
    int value = 0;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > kMaxQuality) return std::nullopt;  // also keeps long input from overflowing
    }
    if (value < kMinQuality) return std::nullopt;
    return value;
}

std::wstring CSettingsDlg::OnOK(bool askForName, const std::wstring& qualityText, uint16_t hotKey) {
    m_refused = NoField;
    const std::optional<int> quality = ParseQuality(qualityText);
    if (!quality) {
        m_refused = QualityField;
        return kQualityRangeMessage;
    }
    if (!IsUsableHotKey(hotKey)) {
        m_refused = HotKeyField;
        return kHotKeyMessage;
    }
    m_settings = {askForName, *quality, hotKey};
    return SaveUserSettings(m_profile, m_settings) ? std::wstring() : kNotStoredMessage;
}

}  // namespace qlry
