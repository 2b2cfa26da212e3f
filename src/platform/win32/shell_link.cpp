#include "platform/win32/shell_link.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/lazy_com.h"

namespace qlry {

namespace {

bool CreateLink(ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
    const LazyCom& com = GetLazyCom();
    return com.Usable() &&
           SUCCEEDED(com.coCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                          link.put_void())) &&
           link && SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) && file;
}

bool LoadLink(const std::wstring& linkPath, ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
    return CreateLink(link, file) && SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ));
}

}  // namespace

bool WriteShortcut(const std::wstring& linkPath, const ShortcutFields& shortcut) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    return CreateLink(link, file) && SUCCEEDED(link->SetPath(shortcut.target.c_str())) &&
           SUCCEEDED(link->SetArguments(shortcut.arguments.c_str())) &&
           SUCCEEDED(link->SetWorkingDirectory(shortcut.workingFolder.c_str())) &&
           SUCCEEDED(link->SetDescription(shortcut.description.c_str())) &&
           SUCCEEDED(link->SetIconLocation(shortcut.target.c_str(), 0)) && SUCCEEDED(link->SetHotkey(shortcut.hotKey)) &&
           SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool ReadShortcutHotKey(const std::wstring& linkPath, uint16_t& hotKey) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    WORD read = 0;
    if (!LoadLink(linkPath, link, file) || FAILED(link->GetHotkey(&read))) return false;
    hotKey = read;
    return true;
}

bool SetShortcutHotKey(const std::wstring& linkPath, uint16_t hotKey) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    return LoadLink(linkPath, link, file) && SUCCEEDED(link->SetHotkey(hotKey)) &&
           SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

std::wstring StartMenuEntryPath(const std::wstring& name) {
    const std::wstring folder = KnownFolderPath(FOLDERID_Programs);
    return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

}  // namespace qlry
