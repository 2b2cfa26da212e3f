#include "platform/win32/win32_clipboard.h"

#include <windows.h>

namespace qlry {

bool Win32Clipboard::Open() { return ::OpenClipboard(nullptr) != FALSE; }
bool Win32Clipboard::Empty() { return ::EmptyClipboard() != FALSE; }
HGlobal Win32Clipboard::GetData(uint32_t format) { return ::GetClipboardData(format); }
HGlobal Win32Clipboard::SetData(uint32_t format, HGlobal block) { return ::SetClipboardData(format, block); }
bool Win32Clipboard::Close() { return ::CloseClipboard() != FALSE; }
uint32_t Win32Clipboard::RegisterFormat(const wchar_t* name) { return ::RegisterClipboardFormatW(name); }
bool Win32Clipboard::IsFormatAvailable(uint32_t format) { return ::IsClipboardFormatAvailable(format) != FALSE; }

}  // namespace qlry
