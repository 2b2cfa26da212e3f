// qlry_msi_rows OUTDIR: writes the registry rows of Quillory.msi as the wixl
// includes OUTDIR/registration.wxi and OUTDIR/settings.wxi, its Start-menu
// entries as OUTDIR/shortcuts.wxi and the query that gives the paste entry
// its key as OUTDIR/hotkey.sql. Runs on the build machine.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "installer/msi/msi_registry.h"
#include "installer/msi/msi_shortcuts.h"

namespace {

constexpr wchar_t kInstallFolder[] = L"[INSTALLDIR]";

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Writes what `make` made, or says why it made nothing.
bool Write(const std::string& path, bool made, const std::string& text, const std::string& problem) {
    if (!made) {
        std::fprintf(stderr, "qlry_msi_rows: %s\n", problem.c_str());
        return false;
    }
    if (!WriteFile(path, text)) {
        std::fprintf(stderr, "qlry_msi_rows: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool Write(const std::string& path, const std::vector<qlry::msi::RegistryRow>& rows) {
    std::string xml, problem;
    const bool made = qlry::msi::WixlInclude(rows, xml, problem);
    return Write(path, made, xml, problem);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qlry_msi_rows OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = Write(folder + "/registration.wxi", qlry::msi::RegistrationRows(kInstallFolder));
    ok = Write(folder + "/settings.wxi", qlry::msi::SettingsRows(kInstallFolder)) && ok;
    std::string shortcuts, problem;
    const bool made = qlry::msi::WixlShortcuts(shortcuts, problem);
    ok = Write(folder + "/shortcuts.wxi", made, shortcuts, problem) && ok;
    ok = Write(folder + "/hotkey.sql", true, qlry::msi::HotkeyQuery(), "") && ok;
    return ok ? 0 : 1;
}
