// qlry_msi_rows OUTDIR: writes the registry rows of Quillory.msi as the wixl
// includes OUTDIR/registration.wxi and OUTDIR/settings.wxi. Runs on the build
// machine.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "installer/msi/msi_registry.h"

namespace {

constexpr wchar_t kInstallFolder[] = L"[INSTALLDIR]";

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

bool Write(const std::string& path, const std::vector<qlry::msi::RegistryRow>& rows) {
    std::string xml, problem;
    if (!qlry::msi::WixlInclude(rows, xml, problem)) {
        std::fprintf(stderr, "qlry_msi_rows: %s\n", problem.c_str());
        return false;
    }
    if (!WriteFile(path, xml)) {
        std::fprintf(stderr, "qlry_msi_rows: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
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
    return ok ? 0 : 1;
}
