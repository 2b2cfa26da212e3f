#include "shellext/reg_tables.h"

#include "shellext/class_ids.h"

namespace qlry {

namespace {

constexpr KeyMark kNone = KeyMark::None;
constexpr KeyMark kForce = KeyMark::ForceRemove;
constexpr KeyMark kKeep = KeyMark::NoRemove;

constexpr RegRow kAppIdRows[] = {
    {L"AppID", kKeep, nullptr, L""},
    {L"AppID\\%APPID%", kNone, L"", L"QLRY_WS"},
    {L"AppID\\QLRY_WS.DLL", kNone, L"AppID", L"%APPID%"},
};

constexpr RegRow kClassRows[] = {
    {L"Varnel.Quillory.SCM.1", kNone, L"", L"Quillory.SCM"},
    {L"Varnel.Quillory.SCM.1\\CLSID", kNone, L"", L"%CLSID%"},
    {L"Varnel.Quillory.SCM", kNone, L"", L"Quillory.SCM"},
    {L"Varnel.Quillory.SCM\\CLSID", kNone, L"", L"%CLSID%"},
    {L"Varnel.Quillory.SCM\\CurVer", kNone, L"", L"Varnel.Quillory.SCM.1"},
    {L"CLSID", kKeep, nullptr, L""},
    {L"CLSID\\%CLSID%", kForce, L"", L"Quillory.SCM"},
    {L"CLSID\\%CLSID%\\ProgID", kNone, L"", L"Varnel.Quillory.SCM.1"},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", kNone, L"", L"Varnel.Quillory.SCM"},
    {L"CLSID\\%CLSID%\\Programmable", kForce, nullptr, L""},
    {L"CLSID\\%CLSID%\\InprocServer32", kNone, L"", L"%MODULE%"},
    {L"CLSID\\%CLSID%\\InprocServer32", kNone, L"ThreadingModel", L"Apartment"},
    {L"CLSID\\%CLSID%\\TypeLib", kNone, L"", L"%LIBID%"},
    // Every file, every folder, and the background of a folder window.
    {L"*", kKeep, nullptr, L""},
    {L"*\\ShellEx", kKeep, nullptr, L""},
    {L"*\\ShellEx\\ContextMenuHandlers", kKeep, nullptr, L""},
    {L"*\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory", kForce, L"", L"%CLSID%"},
    {L"Folder", kKeep, nullptr, L""},
    {L"Folder\\ShellEx", kKeep, nullptr, L""},
    {L"Folder\\ShellEx\\ContextMenuHandlers", kKeep, nullptr, L""},
    {L"Folder\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory", kForce, L"", L"%CLSID%"},
    {L"Directory", kKeep, nullptr, L""},
    {L"Directory\\Background", kKeep, nullptr, L""},
    {L"Directory\\Background\\ShellEx", kKeep, nullptr, L""},
    {L"Directory\\Background\\ShellEx\\ContextMenuHandlers", kKeep, nullptr, L""},
    {L"Directory\\Background\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory", kForce, L"", L"%CLSID%"},
};

// The library as QLRY_WS.idl declares it (version 1.0, neutral locale, its
// help string) and its one dual interface, marshalled by OLE automation's
// own proxy (PSOAInterface).
constexpr wchar_t kPsOaInterface[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr RegRow kTypeLibraryRows[] = {
    {L"TypeLib\\%LIBID%\\1.0", kNone, L"", L"QLRY_WS 1.0 Type Library"},
    {L"TypeLib\\%LIBID%\\1.0\\0\\win64", kNone, L"", L"%MODULE%"},
    {L"TypeLib\\%LIBID%\\1.0\\FLAGS", kNone, L"", L"8"},  // LIBFLAG_FHASDISKIMAGE, as widl sets it
    {L"TypeLib\\%LIBID%\\1.0\\HELPDIR", kNone, L"", L"%FOLDER%"},
    {L"Interface\\%IID%", kNone, L"", L"IMyContextMenu"},
    {L"Interface\\%IID%\\ProxyStubClsid", kNone, L"", kPsOaInterface},
    {L"Interface\\%IID%\\ProxyStubClsid32", kNone, L"", kPsOaInterface},
    {L"Interface\\%IID%\\TypeLib", kNone, L"", L"%LIBID%"},
    {L"Interface\\%IID%\\TypeLib", kNone, L"Version", L"1.0"},
};

// The folder of a path, with its closing backslash.
std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

std::span<const RegRow> AppIdScript() { return kAppIdRows; }

std::span<const RegRow> ClassScript() { return kClassRows; }

std::span<const RegRow> TypeLibraryScript() { return kTypeLibraryRows; }

std::vector<RegToken> ServerTokens(const std::wstring& modulePath) {
    return {
        {L"APPID", kAppIdQlryWs},
        {L"CLSID", kClsidMyContextMenu},
        {L"LIBID", kLibIdQlryWsLib},
        {L"IID", kIidIMyContextMenu},
        {L"MODULE", modulePath},
        {L"FOLDER", FolderOf(modulePath)},
    };
}

}  // namespace qlry
