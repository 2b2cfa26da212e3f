#include "installer/msi/msi_registry.h"

#include "shellext/app_path.h"
#include "shellext/reg_tables.h"

namespace qlry::msi {

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

bool AttributeText(std::wstring_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] < 0xE000)
                code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        }
        if (code < 0x20 || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return false;
        if (code == L'$' && i + 1 < text.size() && text[i + 1] == L'(') return false;
        switch (code) {
            case L'&': out += "&amp;"; break;
            case L'<': out += "&lt;"; break;
            case L'>': out += "&gt;"; break;
            case L'"': out += "&quot;"; break;
            default: AppendUtf8(out, code);
        }
    }
    return true;
}

namespace {

std::string Narrow(std::wstring_view ascii) { return std::string(ascii.begin(), ascii.end()); }

}  // namespace

std::wstring FormattedLiteral(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
            out += L"[\\";
            out += c;
            out += L']';
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring StringValue(std::wstring formatted) {
    if (!formatted.empty() && formatted[0] == L'#') formatted.insert(0, 1, L'#');
    return formatted;
}

std::vector<RegistryRow> RegistrationRows(const std::wstring& folder) {
    // The DLL's own tokens, each spelt as formatted text; the paths point
    // into the installation folder.
    std::vector<RegToken> tokens = ServerTokens(L"");
    for (RegToken& token : tokens) {
        if (token.name == L"MODULE")
            token.value = folder + kDllFileName;
        else if (token.name == L"FOLDER")
            token.value = folder;
        else
            token.value = FormattedLiteral(token.value);
    }
    std::vector<RegistryRow> rows;
    for (auto script : {AppIdScript(), ClassScript(), TypeLibraryScript()}) {
        for (const RegRow& row : script) {
            std::wstring key = kUserClasses + ExpandTokens(FormattedLiteral(row.key), tokens);
            if (row.value) {
                std::wstring value = StringValue(ExpandTokens(FormattedLiteral(row.data), tokens));
                rows.push_back({key, FormattedLiteral(row.value), value});
            } else if (row.mark != KeyMark::NoRemove) {
                rows.push_back({key, kKeyOnly, L""});
            }
            // A key the DLL never removes is there as the parent of others;
            // Windows Installer removes it on uninstall only once it is empty.
        }
    }
    return rows;
}

std::vector<RegistryRow> SettingsRows(const std::wstring& folder) {
    return {{kInstallKey, kAppFolderValue, StringValue(folder)}, {kInstallKey, kRemoveTree, L""}};
}

bool WixlInclude(std::span<const RegistryRow> rows, std::string& xml, std::string& problem) {
    xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
          "<!-- Made at build time from the extension's own tables by qlry_msi_rows: do not edit. -->\n"
          "<Include>\n";
    for (const RegistryRow& row : rows) {
        std::string key, name, value;
        const bool special = row.name == kKeyOnly || row.name == kRemoveTree;
        if (!AttributeText(row.key, key) || !AttributeText(row.name, name) || !AttributeText(row.value, value)) {
            problem = "cannot write the row of key " + Narrow(row.key);
            return false;
        }
        // An empty value with a name would be read as a key-only row.
        if (row.key.empty() || (special ? !row.value.empty() : row.value.empty())) {
            problem = "no value for the row of key " + Narrow(row.key);
            return false;
        }
        xml += "  <RegistryValue Root=\"HKCU\" Key=\"" + key + "\"";
        if (!name.empty()) xml += " Name=\"" + name + "\"";
        xml += " Type=\"string\" Value=\"" + value + "\" />\n";
    }
    xml += "</Include>\n";
    return true;
}

}  // namespace qlry::msi
