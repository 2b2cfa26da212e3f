// The folder of a "/e" paste, decided over fake shell windows.
#include "app/active_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

class FakeExplorerWindows : public qlry::ExplorerWindows {
public:
    qlry::WindowId foreground = 0;
    std::map<qlry::WindowId, std::wstring> classes;
    std::map<qlry::WindowId, qlry::WindowId> activeTabs;
    std::vector<qlry::ShellFolderWindow> folders;
    std::wstring desktop = L"C:\\Users\\me\\Desktop";
    int folderLookups = 0;

    qlry::WindowId ForegroundWindow() override { return foreground; }
    std::wstring ClassName(qlry::WindowId window) override { return classes[window]; }
    qlry::WindowId ActiveTab(qlry::WindowId top) override { return activeTabs[top]; }
    std::vector<qlry::ShellFolderWindow> FolderWindows() override {
        ++folderLookups;
        return folders;
    }
    std::wstring DesktopFolder() override { return desktop; }
};

struct ActiveFolder : ::testing::Test {
    FakeExplorerWindows windows;
    void SetUp() override {
        windows.classes = {{10, L"CabinetWClass"}, {20, L"CabinetWClass"}, {30, L"Progman"}, {40, L"WorkerW"},
                           {50, L"Notepad"}};
        windows.folders = {{10, 11, L"C:\\Data"}, {20, 21, L"D:\\First tab"}, {20, 22, L"D:\\Second tab"}};
    }
    std::wstring With(qlry::WindowId foreground) {
        windows.foreground = foreground;
        return ActiveExplorerFolder(windows);
    }
};

TEST_F(ActiveFolder, TheForegroundExplorerWindowsFolder) {
    EXPECT_EQ(With(10), L"C:\\Data");
    // Tabs share their top-level window: the shown one wins, else the first.
    EXPECT_EQ(With(20), L"D:\\First tab");
    windows.activeTabs[20] = 22;
    EXPECT_EQ(With(20), L"D:\\Second tab");
}

TEST_F(ActiveFolder, TheDesktopWithoutAskingTheFolderWindows) {
    EXPECT_EQ(With(30), L"C:\\Users\\me\\Desktop");
    EXPECT_EQ(With(40), L"C:\\Users\\me\\Desktop");
    EXPECT_EQ(windows.folderLookups, 0);
}

TEST_F(ActiveFolder, NothingForOtherWindowsOrVirtualFolders) {
    EXPECT_EQ(With(50), L"");
    EXPECT_EQ(With(0), L"");
    windows.folders.push_back({60, 61, L""});  // This PC: no file-system path
    windows.classes[60] = L"CabinetWClass";
    EXPECT_EQ(With(60), L"");
    windows.desktop.clear();
    EXPECT_EQ(With(30), L"");
}

TEST_F(ActiveFolder, ResolvingARequest) {
    CCommandRequest request;
    request.m_strPath = L"C:\\given";
    windows.foreground = 50;
    EXPECT_TRUE(ResolveActiveFolder(request, windows));  // no "e": the path stands
    EXPECT_EQ(request.m_strPath, L"C:\\given");
    request.m_bActiveFolder = 1;
    EXPECT_FALSE(ResolveActiveFolder(request, windows));
    windows.foreground = 10;
    EXPECT_TRUE(ResolveActiveFolder(request, windows));
    EXPECT_EQ(request.m_strPath, L"C:\\Data");
}

}  // namespace
