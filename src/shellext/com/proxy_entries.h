#pragma once
// The merged proxy/stub's entry points (widl's dlldata.c, built with
// ENTRY_PREFIX=Prx): they call NdrDllGetClassObject, NdrDllCanUnloadNow,
// NdrDllRegisterProxy and NdrDllUnregisterProxy with this DLL's proxy list.
#include <windows.h>

extern "C" {
BOOL WINAPI PrxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
HRESULT WINAPI PrxDllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
HRESULT WINAPI PrxDllCanUnloadNow();
HRESULT WINAPI PrxDllRegisterServer();
HRESULT WINAPI PrxDllUnregisterServer();
}
