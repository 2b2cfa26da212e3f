// The path helpers of the program against the shell's own functions.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace {

const wchar_t* const kPaths[] = {
    L"C:\\dir\\name.txt", L"name.txt",         L"C:name.txt",      L"C:\\dir\\sub\\", L"C:\\dir\\\\",
    L"C:\\\\",            L"C:\\",             L"C:",              L"\\\\server\\share", L"\\\\server\\share\\",
    L"C:/dir/name.png",   L"C:\\dir/\\",       L"C:\\dir\\\\x.txt", L"",               L"\\",
    L"/",                 L"a:b:c",            L"C:\\a.b\\c",      L"C:\\a b.txt",     L"C:\\a.b c",
    L"x.tar.gz",          L"ends.",            L".hidden",         L"C:\\dir.png\\",   L"C:\\x.\\y",
    L"C:\\dir.png/file",   L"a.b/c",            L"a/b.JPG",         L"a.b/",            L"C:\\x .png",
};

TEST(PathText, FileNameIsWhatTheShellFinds) {
    for (const wchar_t* path : kPaths) {
        EXPECT_EQ(qlry::FindFileName(path), std::wstring(::PathFindFileNameW(path))) << path;
    }
}

TEST(PathText, ExtensionIsWhatTheShellFinds) {
    for (const wchar_t* path : kPaths) {
        EXPECT_EQ(qlry::FindExtension(path), std::wstring(::PathFindExtensionW(path))) << path;
    }
}

// The file system adapter asks the file system what the shell's light
// library would answer.
TEST(PathText, ExistenceIsWhatTheShellFinds) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring program = self;
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    const std::wstring paths[] = {program, folder, folder + L"\\", folder + L"\\missing.txt", L"C:\\", L"C:",
                                  L"", L"\\\\?\\" + program, program + L"\\x"};
    qlry::FileSystem& files = qlry::SystemFileSystem();
    for (const std::wstring& path : paths) {
        EXPECT_EQ(files.Exists(path), ::PathFileExistsW(path.c_str()) != FALSE) << path;
        EXPECT_EQ(files.IsDirectory(path), ::PathIsDirectoryW(path.c_str()) != FALSE) << path;
    }
}

}  // namespace
