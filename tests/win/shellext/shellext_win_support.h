#pragma once
// Helpers of the extension's Windows tests: running programs (regsvr32, the
// stand-in host, the installer), reading the real registry back in the form
// of the expected lists, and pointing AppFolder elsewhere for a test.
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace qlry::wintest {

std::wstring DllPath();  // QLRY_WS.dll beside the test program
std::wstring BinFile(const std::wstring& name);

struct ProcessResult {
    int exitCode = -1;   // -1: could not start or did not end
    std::string output;  // stdout and stderr, as the program wrote them
};
ProcessResult RunCaptured(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 60000);

std::wstring LocalAppData();                      // %LOCALAPPDATA%
std::wstring SystemProgram(const std::wstring& name);  // a program of the system folder

// regsvr32 /s SWITCHES "QLRY_WS.dll"; its exit code.
int Regsvr32(const std::wstring& switches);

// The key and everything below it, one line per key and per string value
// ("path", "path|name=text", "path|@=text"), paths spelt from `root`'s top.
std::vector<std::wstring> DumpKey(HKEY root, const std::wstring& path);
bool KeyExists(HKEY root, const std::wstring& path);
// A string value, or "<none>".
std::wstring ReadString(HKEY root, const std::wstring& path, const std::wstring& name);

// The whole file once it exists and holds something, or "" after the timeout.
std::string WaitForFile(const std::wstring& path, DWORD timeoutMs = 15000);
bool WaitUntilGone(const std::wstring& path, DWORD timeoutMs = 15000);

std::string Utf8(const std::wstring& text);
std::vector<std::string> Lines(const std::string& text);

// A data object that offers nothing; tests override what theirs offer. It
// lives on the stack: the reference count is not kept.
class StubDataObject : public IDataObject {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

// Sets HKCU\Software\Varnel\Quillory\AppFolder for one scope.
class AppFolderScope {
public:
    explicit AppFolderScope(const std::wstring& folder);
    ~AppFolderScope();
    AppFolderScope(const AppFolderScope&) = delete;
    AppFolderScope& operator=(const AppFolderScope&) = delete;

private:
    bool m_hadMaker = false;
    bool m_hadKey = false;
    bool m_had = false;
    std::wstring m_old;
};

// Expects a shortcut at `path` to this program, arguments and hotkey (0: none).
void ExpectShortcut(const std::wstring& path, const std::wstring& program, const std::wstring& arguments,
                    WORD hotKey);

}  // namespace qlry::wintest
