#pragma once
// Where the stand-in host gets its handler from: through COM, as Explorer
// does after a machine-wide registration, or by loading the DLL named in the
// per-user registration (Wine does not merge HKCU\Software\Classes into HKCR)
// or on the command line, and asking it for the class object.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

struct HandlerSource {
    std::wstring dllPath;  // empty: CoCreateInstance
    HMODULE module = nullptr;
};

// The InprocServer32 path of the per-user registration; empty when absent.
std::wstring PerUserServerPath();

// Creates the handler's IContextMenu; the DLL stays loaded in `source`.
HRESULT CreateHandler(HandlerSource& source, IContextMenu** menu);
