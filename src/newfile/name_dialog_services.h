#pragma once
// What the two new-file dialogs work through besides the profile: the file
// system for the existence test, the local clock for the proposed name, and
// the message box that refuses a name.
#include <string>

#include "common/user_settings.h"  // kSettingsSection
#include "platform/file_system.h"
#include "platform/profile.h"

namespace qlry {

struct LocalTime {
    int year = 0;
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;  // the current local time
};

// A message box with an OK button, a warning icon and the application title
// as caption, owned by the dialog that shows it.
class WarningBox {
public:
    virtual ~WarningBox() = default;
    virtual void Show(const std::wstring& text) = 0;
};

struct NameDialogServices {
    Profile& profile;
    FileSystem& files;
    Clock& clock;
};

// Where the dialogs remember the chosen extensions.
inline constexpr wchar_t kTextExtensionEntry[] = L"TextExtension";
inline constexpr wchar_t kImageExtensionEntry[] = L"ImageExtension";

}  // namespace qlry
