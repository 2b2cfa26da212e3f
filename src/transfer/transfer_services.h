#pragma once
// The platform services a transfer handler works through. Production code
// passes the Win32 adapters; tests pass fakes.
#include "platform/clipboard.h"
#include "platform/file_system.h"
#include "platform/global_memory.h"
#include "platform/profile.h"
#include "platform/ui.h"

namespace qlry {

class NameDialogs;  // the new-file dialogs; see transfer/name_dialogs.h

struct TransferServices {
    Clipboard& clipboard;
    GlobalMemory& memory;
    FileSystem& files;
    WaitCursor& waitCursor;
    Profile& profile;
    NameDialogs* dialogs = nullptr;  // only needed for a paste as a new file
};

}  // namespace qlry
