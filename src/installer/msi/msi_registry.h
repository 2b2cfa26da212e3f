#pragma once
// What Quillory.msi writes to the registry, made at build time from the
// extension's own registration tables: the per-user registration that
// DllInstall(TRUE, L"user") writes (its two scripts, and the type library's
// keys that OLEAUT32 would write), and the program's key with AppFolder.
// The rows become wixl <RegistryValue> elements.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlry::msi {

// One row of the package's Registry table, below HKEY_CURRENT_USER. Key and
// value are Windows Installer formatted text ("[INSTALLDIR]" is replaced by
// the installation folder).
struct RegistryRow {
    std::wstring key;
    std::wstring name;   // "": the default value; kKeyOnly / kRemoveTree: see below
    std::wstring value;  // "" for kKeyOnly and kRemoveTree
};

// Names with a meaning of their own when the value is empty.
inline constexpr wchar_t kKeyOnly[] = L"*";     // created; deleted with its contents on uninstall
inline constexpr wchar_t kRemoveTree[] = L"-";  // deleted with its contents on uninstall

// An XML attribute's text in UTF-8; false for what XML or wixl cannot carry
// (control characters, unpaired surrogates, wixl's "$(" variables).
bool AttributeText(std::wstring_view text, std::string& out);

// Text that Windows Installer's formatting gives back unchanged: every
// bracket and brace escaped ("[\[]").
std::wstring FormattedLiteral(std::wstring_view text);
// A formatted value that Windows Installer writes as a string: a leading '#'
// (which would make it a number) doubled.
std::wstring StringValue(std::wstring formatted);

// `folder`: the installation folder as formatted text, with its closing
// backslash (MSI folder properties have one).
std::vector<RegistryRow> RegistrationRows(const std::wstring& folder);
// AppFolder, and the removal of the program's whole key (its settings
// included) on uninstall.
std::vector<RegistryRow> SettingsRows(const std::wstring& folder);

// A wixl <Include> holding one <RegistryValue> per row, in UTF-8. False, with
// the reason, for a row wixl or Windows Installer cannot carry.
bool WixlInclude(std::span<const RegistryRow> rows, std::string& xml, std::string& problem);

}  // namespace qlry::msi
