#pragma once
// The parsed command line of Quillory.exe.
#include <string>
#include <vector>

class CCommandRequest {
public:
    enum Mode { ModeNone = 0, ModeCopy = 1, ModePaste = 2 };

    int m_nMode = ModeNone;
    std::wstring m_strPath;
    int m_bAppend = 0;
    int m_bNewFile = 0;
    // Beyond the four classic switches: "q" names a new file at once, "e"
    // takes the folder of the active Explorer window for the path, and
    // "settings" opens the settings window.
    int m_bQuick = 0;
    int m_bActiveFolder = 0;
    int m_bSettings = 0;

    // Fills the record from this process's argument vector; returns the
    // number of recognised arguments.
    int ParseCommandLine();

    // The same over a given argument vector, whose first element is the
    // program's own name.
    int ParseCommandLine(const std::vector<std::wstring>& argv);
};
