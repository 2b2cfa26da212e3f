#include "support/expected_registration.h"

#include <algorithm>

#include "shellext/class_ids.h"

namespace qlry::test {

namespace {

const wchar_t* const kHandlerParents[] = {L"*", L"Folder", L"Directory\\Background"};

}  // namespace

std::vector<std::wstring> ExpectedRegistration(const std::wstring& p, const std::wstring& modulePath) {
    const std::wstring clsid = kClsidMyContextMenu;
    const std::wstring appid = kAppIdQlryWs;
    const std::wstring c = p + L"CLSID\\" + clsid;
    std::vector<std::wstring> lines = {
        p + L"AppID",
        p + L"AppID\\" + appid,
        p + L"AppID\\" + appid + L"|@=QLRY_WS",
        p + L"AppID\\QLRY_WS.DLL",
        p + L"AppID\\QLRY_WS.DLL|AppID=" + appid,
        p + L"Varnel.Quillory.SCM.1",
        p + L"Varnel.Quillory.SCM.1|@=Quillory.SCM",
        p + L"Varnel.Quillory.SCM.1\\CLSID",
        p + L"Varnel.Quillory.SCM.1\\CLSID|@=" + clsid,
        p + L"Varnel.Quillory.SCM",
        p + L"Varnel.Quillory.SCM|@=Quillory.SCM",
        p + L"Varnel.Quillory.SCM\\CLSID",
        p + L"Varnel.Quillory.SCM\\CLSID|@=" + clsid,
        p + L"Varnel.Quillory.SCM\\CurVer",
        p + L"Varnel.Quillory.SCM\\CurVer|@=Varnel.Quillory.SCM.1",
        p + L"CLSID",
        c,
        c + L"|@=Quillory.SCM",
        c + L"\\ProgID",
        c + L"\\ProgID|@=Varnel.Quillory.SCM.1",
        c + L"\\VersionIndependentProgID",
        c + L"\\VersionIndependentProgID|@=Varnel.Quillory.SCM",
        c + L"\\Programmable",
        c + L"\\InprocServer32",
        c + L"\\InprocServer32|@=" + modulePath,
        c + L"\\InprocServer32|ThreadingModel=Apartment",
        c + L"\\TypeLib",
        c + L"\\TypeLib|@=" + std::wstring(kLibIdQlryWsLib),
        p + L"Directory",
    };
    for (const wchar_t* parent : kHandlerParents) {
        std::wstring base = p + parent;
        lines.push_back(base);
        lines.push_back(base + L"\\ShellEx");
        lines.push_back(base + L"\\ShellEx\\ContextMenuHandlers");
        lines.push_back(base + L"\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory");
        lines.push_back(base + L"\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory|@=" + clsid);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> KeptAfterUnregistration(const std::wstring& p) {
    std::vector<std::wstring> lines = {p + L"AppID", p + L"CLSID", p + L"Directory"};
    for (const wchar_t* parent : kHandlerParents) {
        std::wstring base = p + parent;
        lines.push_back(base);
        lines.push_back(base + L"\\ShellEx");
        lines.push_back(base + L"\\ShellEx\\ContextMenuHandlers");
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> OwnedRegistrationKeys(const std::wstring& p) {
    std::vector<std::wstring> keys = {p + L"AppID\\" + std::wstring(kAppIdQlryWs), p + L"AppID\\QLRY_WS.DLL",
                                      p + L"Varnel.Quillory.SCM.1", p + L"Varnel.Quillory.SCM",
                                      p + L"CLSID\\" + std::wstring(kClsidMyContextMenu)};
    for (const wchar_t* parent : kHandlerParents)
        keys.push_back(p + parent + L"\\ShellEx\\ContextMenuHandlers\\Varnel.Quillory");
    return keys;
}

}  // namespace qlry::test
