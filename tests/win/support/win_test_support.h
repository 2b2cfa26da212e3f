#pragma once
// Helpers for the Windows tests: the real clipboard, files, and running
// Quillory.exe as a separate process.
#include <windows.h>

#include <string>
#include <vector>

namespace qlry::wintest {

// The folder of the running test program, which also holds Quillory.exe.
std::wstring BinFolder();

// A fresh, empty folder for one test.
std::wstring MakeTempFolder(const std::wstring& name);

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// The names in a folder, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Runs Quillory.exe with the given arguments and waits for it to end;
// returns its exit code, or -1 when it could not start or did not end.
int RunQuillory(const std::wstring& arguments, DWORD timeoutMs = 30000);
// Starts a program without waiting; the caller closes the handle.
HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments);

// The real clipboard, each call opening and closing it.
bool PutClipboardText(const std::wstring& text);
bool PutClipboardBitmap(int width, int height, COLORREF color);
// Empties the clipboard, then puts the text (when given) and a solid
// bitmap of the given size (when width > 0) on it as CF_BITMAP.
bool PutClipboard(const std::wstring* text, int width, int height, COLORREF color);
bool EmptyTheClipboard();
// Empties the clipboard and puts the bytes on it in the registered format
// `name` only, as a program that offers nothing else does (a "PNG" alone).
bool PutClipboardRegistered(const wchar_t* name, const std::string& bytes);
// The clipboard's CF_UNICODETEXT up to its NUL; false when there is none.
bool ClipboardText(std::wstring& text);

}  // namespace qlry::wintest
