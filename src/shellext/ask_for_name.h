#pragma once
// The per-user setting AskForName, as InvokeCommand reads it: only when a
// "Paste ... as File" entry is chosen, never while the menu is built.
#include "platform/registry.h"

namespace qlry {

// True unless HKCU\Software\Varnel\Quillory\Settings holds AskForName as a
// DWORD 0. A missing key or value, or one of another type or size, asks.
bool ReadAskForName(Registry& registry) noexcept;

// Whether the chosen "Paste ... as File" names the file at once: Shift turns
// the setting around.
inline bool PastesAtOnce(bool askForName, bool shiftDown) { return askForName == shiftDown; }

}  // namespace qlry
