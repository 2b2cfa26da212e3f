#pragma once
// Drives the name dialog of a running Quillory.exe from this process, by
// messages, as a user would: type, pick, press OK or Cancel, answer the
// message box.
#include <windows.h>

#include <string>
#include <vector>

#include "win/support/win_test_support.h"

namespace qlry::wintest {

inline constexpr wchar_t kNameDialogCaption[] = L"Copy Clipboard Contents as File";
inline constexpr int kFileNameId = 1055;
inline constexpr int kExtensionId = 1056;

// Quillory.exe started with -p "folder" /n; ended when the object goes.
class NameDialogSession {
public:
    explicit NameDialogSession(const std::wstring& folder);
    ~NameDialogSession();
    NameDialogSession(const NameDialogSession&) = delete;
    NameDialogSession& operator=(const NameDialogSession&) = delete;

    // The dialog once it is visible (its fields are then set), or null.
    HWND Dialog();

    std::wstring Text(int id);
    HWND FocusedWindow();
    // The selection of the name field as start and end offsets.
    std::pair<int, int> NameSelection();
    int SelectedEntry();
    std::vector<std::wstring> ListEntries();

    // WM_CHAR for each character, into the name field.
    void TypeName(const std::wstring& text);
    void SetExtensionText(const std::wstring& text);
    void PickEntry(int index);
    void PressOk();
    void PressCancel();

    // The warning message box over the dialog once it is visible, or null.
    HWND FindMessageBox();
    void AnswerMessageBox(HWND box);

    // True when the program ended within the time.
    bool WaitForExit(DWORD ms = 10000);
    bool StillRunning() { return !WaitForExit(200); }

private:
    HWND FindVisible(const wchar_t* caption);
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    HWND m_dialog = nullptr;
};

// The texts and buttons of a message box, as its child windows show them.
struct MessageBoxContent {
    std::wstring caption;
    std::wstring text;                  // the non-empty static text
    std::vector<std::wstring> buttons;  // visible buttons
    bool hasIcon = false;
    // Known only for a box of this process: an icon of another process
    // cannot be drawn here to compare it.
    bool warningIcon = false;
};
MessageBoxContent ReadMessageBox(HWND box);

// The remembered values in HKCU\Software\Varnel\Quillory\Settings.
void ClearSettings();
bool ReadTextExtension(std::wstring& value);
bool ReadImageExtension(DWORD& value);
void WriteTextExtension(const std::wstring& value);
void WriteImageExtension(DWORD value);


// Local time to a count of seconds, for comparisons.
long long SecondsOf(const SYSTEMTIME& time);
// Parses "YYYYMMDD hhmmss"; false when the text has another shape.
bool ParseTimestampName(const std::wstring& text, SYSTEMTIME& time);

}  // namespace qlry::wintest
