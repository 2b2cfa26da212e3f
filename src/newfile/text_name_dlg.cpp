#include "newfile/text_name_dlg.h"

#include "newfile/file_name_text.h"
#include "newfile/new_file_check.h"
#include "newfile/text_extensions.h"

namespace {

constexpr wchar_t kDefaultTextExtension[] = L".txt";

}  // namespace

CTextNameDlg::CTextNameDlg(const std::wstring& folder, qlry::NameDialogServices& services)
    : m_strFolder(folder), m_services(services) {
    m_strExt = qlry::TrimWhiteSpace(
        services.profile.GetString(qlry::kSettingsSection, qlry::kTextExtensionEntry, kDefaultTextExtension));
    if (m_strExt.empty()) m_strExt = kDefaultTextExtension;
    m_strName = qlry::MakeTimestampName(services.clock.Now());
}

int CTextNameDlg::InitialExtensionEntry() const {
    for (size_t i = 0; i < kTextExtensions.size(); ++i) {
        if (qlry::EqualsIgnoringAsciiCase(m_strExt, kTextExtensions[i])) return static_cast<int>(i);
    }
    return -1;
}

bool CTextNameDlg::OnOK(const std::wstring& nameField, const std::wstring& extensionField,
                        qlry::WarningBox& warning) {
    // Trimming comes before replacing: a name ending in a replaced
    // character keeps the space it becomes.
    m_strName = qlry::ReplaceInvalidNameChars(qlry::TrimWhiteSpace(nameField));
    m_strExt = qlry::ReplaceInvalidNameChars(qlry::TrimWhiteSpace(extensionField));
    if (!qlry::AcceptNewFile(m_strFolder, Chosen(), m_services.files, warning)) return false;
    if (!m_strExt.empty()) m_services.profile.WriteString(qlry::kSettingsSection, qlry::kTextExtensionEntry, m_strExt);
    return true;
}
