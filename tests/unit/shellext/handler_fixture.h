#pragma once
// A context-menu handler wired to fakes, with helpers for the usual states.
#include <string>

#include <gtest/gtest.h>

#include "common/content_kind.h"
#include "platform/clipboard.h"
#include "shellext/context_menu_logic.h"
#include "support/fake_clipboard.h"
#include "support/fake_global_memory.h"
#include "support/fake_menu.h"
#include "support/fake_registry.h"
#include "support/fake_shell.h"

namespace qlry::test {

// The help texts, one wording per command and clipboard content.
inline const std::wstring kCopyHelp = L"Copy the contents of the selected file to your clipboard.";
inline const std::wstring kTextOverwriteHelp =
    L"Paste the text on your clipboard to the selected file, overwrite the file.";
inline const std::wstring kTextAppendHelp = L"Paste the text on your clipboard to the selected file, append the file.";
inline const std::wstring kImageOverwriteHelp =
    L"Paste the image on your clipboard to the selected file, overwrite the file.";
inline const std::wstring kTextNewHelp = L"Create a new file, and paste the text on your clipboard to the file.";
inline const std::wstring kImageNewHelp = L"Create a new file, and paste the image on your clipboard to the file.";

class HandlerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kIdFirst = 100;
    static constexpr uint32_t kIdLast = 0x7FFF;

    void PutText() { clipboard.PutText(u"hello"); }
    void PutBitmap() { clipboard.Put(kCfDib, memory.Alloc(kGmemMoveable, 40)); }

    // AppFolder names `folder`, and Quillory.exe is there.
    void InstallApp(const std::wstring& folder = L"C:\\Apps\\Quillory") {
        registry.PutString(RegRoot::CurrentUser, L"Software\\Varnel\\Quillory", L"AppFolder", folder);
        shell.files.insert(folder + L"\\Quillory.exe");
    }

    HResult InitSelection(std::vector<std::wstring> files) {
        selection.files = std::move(files);
        return handler.Initialize(nullptr, &selection);
    }
    HResult InitFile(const std::wstring& path) { return InitSelection({path}); }
    HResult InitFolder(const std::wstring& path) {
        shell.directories.insert(path);
        return InitSelection({path});
    }
    HResult InitBackground(const std::wstring& path) {
        shell.directories.insert(path);
        folderId.path = path;
        return handler.Initialize(&folderId, nullptr);
    }

    // Selects one file and builds its menu, which must hold `count` commands.
    void MenuForFile(const std::wstring& path, HResult count) {
        ASSERT_EQ(kSOk, InitFile(path));
        ASSERT_EQ(count, Query());
    }

    // Builds the menu into a host menu that already holds two entries, at
    // position 1, as Explorer does between its own entries.
    HResult Query(uint32_t flags = 0) {
        hostMenu = menu.NewMenu({L"Open", L"Properties"});
        return handler.QueryContextMenu(hostMenu, 1, kIdFirst, kIdLast, flags);
    }

    std::wstring HelpW(uintptr_t offset, uint32_t cchMax = 200) {
        std::wstring buffer(cchMax, L'#');
        HResult result =
            handler.GetCommandString(offset, kGcsHelpTextW, reinterpret_cast<char*>(buffer.data()), cchMax);
        return result == kSOk ? std::wstring(buffer.c_str()) : L"<failed>";
    }

    FakeGlobalMemory memory;
    FakeClipboard clipboard{memory};
    FakeShell shell;
    FakeMenu menu;
    FakeRegistry registry;
    CContextMenuLogic handler{{clipboard, shell, menu, registry}};
    FakeDataObject selection;
    FakeIdList folderId;
    HMenu hostMenu = nullptr;
};

}  // namespace qlry::test
