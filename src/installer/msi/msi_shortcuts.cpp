#include "installer/msi/msi_shortcuts.h"

#include <string_view>

#include "common/user_settings.h"
#include "installer/msi/msi_registry.h"

namespace qlry::msi {

namespace {

struct Entry {
    const char* id;
    std::wstring_view fileName;  // Windows Installer adds the ".lnk" itself
    const wchar_t* arguments;
    const wchar_t* description;
};

const Entry kEntries[] = {
    {"SettingsShortcut", kSettingsShortcutName, kSettingsShortcutArguments, kSettingsShortcutDescription},
    {"PasteShortcut", kPasteShortcutName, kPasteShortcutArguments, kPasteShortcutDescription},
};

std::wstring_view WithoutLinkExtension(std::wstring_view name) {
    constexpr std::wstring_view kLink = L".lnk";
    return name.ends_with(kLink) ? name.substr(0, name.size() - kLink.size()) : name;
}

}  // namespace

bool WixlShortcuts(std::string& xml, std::string& problem) {
    xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
          "<!-- Made at build time from the program's own names by qlry_msi_rows: do not edit. -->\n"
          "<Include>\n";
    for (const Entry& entry : kEntries) {
        std::string name, arguments, description;
        if (!AttributeText(WithoutLinkExtension(entry.fileName), name) || !AttributeText(entry.arguments, arguments) ||
            !AttributeText(entry.description, description)) {
            problem = std::string("cannot write the shortcut ") + entry.id;
            return false;
        }
        xml += std::string("  <Shortcut Id=\"") + entry.id + "\" Name=\"" + name + "\" Description=\"" + description +
               "\" Target=\"[INSTALLDIR]Quillory.exe\" Arguments=\"" + arguments +
               "\" WorkingDirectory=\"INSTALLDIR\" />\n";
    }
    xml += "</Include>\n";
    return true;
}

// The program's default key: the package cannot know one the user chose before.
std::string HotkeyQuery() {
    return "UPDATE `Shortcut` SET `Hotkey` = " + std::to_string(kDefaultHotKey) + " WHERE `Shortcut` = 'PasteShortcut'";
}

}  // namespace qlry::msi
