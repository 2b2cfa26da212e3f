// Quillory.msi's registry rows: written as Windows Installer writes them,
// they give exactly what the DLL's per-user registration writes; text that
// the installer's formatting or wixl would change is escaped or refused.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "installer/msi/msi_registry.h"
#include "shellext/app_path.h"
#include "shellext/reg_tables.h"
#include "support/fake_registry.h"

namespace qlry::test {
namespace {

// A folder with the characters that formatting treats specially.
const std::wstring kFolder = L"C:\\Users\\Zo\u00EB [1] {x}\\AppData\\Local\\Programs\\Quillory\\";
constexpr std::wstring_view kInstallDir = L"[INSTALLDIR]";

// Windows Installer's formatting, as far as the rows use it: the folder
// property and the "[\c]" escapes. Anything else in brackets or braces is a
// fault of the rows.
std::wstring Deformat(std::wstring_view text) {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i).starts_with(kInstallDir)) {
            out += kFolder;
            i += kInstallDir.size();
        } else if (text[i] == L'[' && i + 3 < text.size() && text[i + 1] == L'\\' && text[i + 3] == L']') {
            out += text[i + 2];
            i += 4;
        } else {
            EXPECT_EQ(std::wstring_view::npos, std::wstring_view(L"[]{}").find(text[i])) << "unescaped";
            out += text[i++];
        }
    }
    return out;
}

// The rows' install, into the fake registry.
void Install(const std::vector<msi::RegistryRow>& rows, FakeRegistry& registry) {
    for (const msi::RegistryRow& row : rows) {
        if (row.name == msi::kRemoveTree) continue;  // acts on uninstall only
        if (row.name == msi::kKeyOnly) {
            registry.PutKey(RegRoot::CurrentUser, Deformat(row.key));
            continue;
        }
        std::wstring value = row.value.starts_with(L"##") ? row.value.substr(1) : row.value;
        registry.PutString(RegRoot::CurrentUser, Deformat(row.key), Deformat(row.name), Deformat(value));
    }
}

TEST(MsiRows, WriteWhatThePerUserRegistrationWrites) {
    FakeRegistry byDll;
    const auto tokens = ServerTokens(kFolder + kDllFileName);
    for (auto script : {AppIdScript(), ClassScript(), TypeLibraryScript()})
        ASSERT_EQ(kSOk, RegisterScript(UserClasses(byDll), script, tokens));

    FakeRegistry byMsi;
    Install(msi::RegistrationRows(std::wstring(kInstallDir)), byMsi);
    EXPECT_EQ(byDll.Dump(RegRoot::CurrentUser), byMsi.Dump(RegRoot::CurrentUser));
    EXPECT_TRUE(byMsi.Dump(RegRoot::ClassesRoot).empty());
}

TEST(MsiRows, KeysTheDllNeverRemovesGetNoRowOfTheirOwn) {
    for (const msi::RegistryRow& row : msi::RegistrationRows(std::wstring(kInstallDir))) {
        EXPECT_NE(L"Software\\Classes\\CLSID", row.key);
        EXPECT_NE(L"Software\\Classes\\*\\ShellEx", row.key);
        EXPECT_NE(msi::kRemoveTree, row.name) << "the registration never removes a whole tree";
    }
}

TEST(MsiRows, SettingsNameTheFolderAndGoOnUninstall) {
    const auto rows = msi::SettingsRows(std::wstring(kInstallDir));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(kInstallKey, rows[0].key);
    EXPECT_EQ(kAppFolderValue, rows[0].name);
    EXPECT_EQ(kInstallDir, rows[0].value);
    EXPECT_EQ(kInstallKey, rows[1].key);
    EXPECT_EQ(msi::kRemoveTree, rows[1].name);
}

TEST(MsiRows, TextKeepsItsMeaning) {
    const struct {
        std::wstring_view text, formatted;
    } literals[] = {
        {L"plain.text", L"plain.text"},
        {L"{E081AB31-BCF5-4C89-904D-5A1BEF943E8C}", L"[\\{]E081AB31-BCF5-4C89-904D-5A1BEF943E8C[\\}]"},
        {L"[INSTALLDIR]", L"[\\[]INSTALLDIR[\\]]"},
        {L"a]b[c", L"a[\\]]b[\\[]c"},
        {L"", L""},
    };
    for (const auto& c : literals) {
        EXPECT_EQ(c.formatted, msi::FormattedLiteral(c.text));
        EXPECT_EQ(c.text, Deformat(msi::FormattedLiteral(c.text)));
    }
    const struct {
        std::wstring_view value, stored;
    } values[] = {{L"#1", L"##1"}, {L"##", L"###"}, {L"a#", L"a#"}, {L"", L""}};
    for (const auto& c : values) EXPECT_EQ(c.stored, msi::StringValue(std::wstring(c.value)));
}

TEST(MsiRows, WixlIncludeSpellsEveryKindOfRow) {
    const std::vector<msi::RegistryRow> rows = {
        {L"K\\a&b", L"", L"<\"x\">"},
        {L"K\\b", L"Name", L"Zo\u00EB \U0001F600"},
        {L"K\\c", msi::kKeyOnly, L""},
        {L"K\\d", msi::kRemoveTree, L""},
    };
    std::string xml, problem;
    ASSERT_TRUE(msi::WixlInclude(rows, xml, problem)) << problem;
    EXPECT_NE(std::string::npos,
              xml.find("<RegistryValue Root=\"HKCU\" Key=\"K\\a&amp;b\" Type=\"string\" Value=\"&lt;&quot;x&quot;&gt;\" />"))
        << xml;
    EXPECT_NE(std::string::npos, xml.find("Key=\"K\\b\" Name=\"Name\" Type=\"string\" Value=\"Zo\xC3\xAB \xF0\x9F\x98\x80\""))
        << xml;
    EXPECT_NE(std::string::npos, xml.find("Key=\"K\\c\" Name=\"*\" Type=\"string\" Value=\"\" />")) << xml;
    EXPECT_NE(std::string::npos, xml.find("Key=\"K\\d\" Name=\"-\" Type=\"string\" Value=\"\" />")) << xml;
    EXPECT_EQ(0u, xml.find("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
    EXPECT_NE(std::string::npos, xml.find("<Include>\n"));
    EXPECT_EQ(xml.size() - 11, xml.find("</Include>\n"));
}

TEST(MsiRows, RowsWixlCannotCarryAreRefused) {
    const struct {
        const char* what;
        msi::RegistryRow row;
    } cases[] = {
        {"control character", {L"K", L"", L"a\nb"}},
        {"NUL", {L"K", L"", std::wstring(L"a\0b", 3)}},
        {"wixl variable", {L"K\\$(var.X)", L"", L"v"}},
        {"empty value with a name", {L"K", L"Name", L""}},
        {"empty default value", {L"K", L"", L""}},
        {"key-only row with a value", {L"K", msi::kKeyOnly, L"v"}},
        {"no key", {L"", L"", L"v"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string xml, problem;
        std::vector<msi::RegistryRow> rows = {{L"Good", L"", L"v"}, c.row};
        EXPECT_FALSE(msi::WixlInclude(rows, xml, problem));
        EXPECT_FALSE(problem.empty());
    }
}

}  // namespace
}  // namespace qlry::test
