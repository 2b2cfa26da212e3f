#pragma once
// The Start-menu entries of Quillory.msi, the same ones QuillorySetup.exe
// makes: wixl <Shortcut> elements, and the query that gives the paste entry
// its keyboard shortcut (wixl has no attribute for the Hotkey column).
#include <string>

namespace qlry::msi {

// A wixl <Include> of one <Shortcut> per entry, for a component in the
// user's Programs menu folder, each starting [INSTALLDIR]Quillory.exe.
bool WixlShortcuts(std::string& xml, std::string& problem);

// The SQL that msibuild runs on the built package to give the paste entry its key.
std::string HotkeyQuery();

}  // namespace qlry::msi
