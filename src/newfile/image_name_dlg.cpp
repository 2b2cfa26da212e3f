#include "newfile/image_name_dlg.h"

#include "ximage/ximage_extensions.h"
#include "newfile/file_name_text.h"
#include "newfile/new_file_check.h"

int ImageExtensionEntry(int index) {
    return index >= 0 && static_cast<size_t>(index) < kImageExtensions.size() ? index : 0;
}

CImageNameDlg::CImageNameDlg(const std::wstring& folder, qlry::NameDialogServices& services)
    : m_strFolder(folder), m_services(services) {
    m_nExtIndex = ImageExtensionEntry(services.profile.GetInt(qlry::kSettingsSection, qlry::kImageExtensionEntry, 0));
    m_strName = qlry::MakeTimestampName(services.clock.Now());
}

bool CImageNameDlg::OnOK(const std::wstring& nameField, int selectedIndex, qlry::WarningBox& warning) {
    m_nExtIndex = ImageExtensionEntry(selectedIndex);
    m_strExt = kImageExtensions[static_cast<size_t>(m_nExtIndex)];
    m_strName = qlry::ReplaceInvalidNameChars(qlry::TrimWhiteSpace(nameField));
    if (!qlry::AcceptNewFile(m_strFolder, Chosen(), m_services.files, warning)) return false;
    m_services.profile.WriteInt(qlry::kSettingsSection, qlry::kImageExtensionEntry, m_nExtIndex);
    return true;
}
