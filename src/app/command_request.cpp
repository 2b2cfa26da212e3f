#include "app/command_request.h"

int CCommandRequest::ParseCommandLine(const std::vector<std::wstring>& argv) {
    int count = 0;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::wstring& argument = argv[i];
        if (!argument.empty() && (argument[0] == L'-' || argument[0] == L'/')) {
            const std::wstring name = argument.substr(1);
            if (name == L"c") {
                m_nMode = ModeCopy;
            } else if (name == L"p") {
                m_nMode = ModePaste;
            } else if (name == L"a") {
                m_bAppend = 1;
            } else if (name == L"n") {
                m_bNewFile = 1;
            } else if (name == L"q") {
                m_bQuick = 1;
            } else if (name == L"e") {
                m_bActiveFolder = 1;
            } else if (name == L"settings") {
                m_bSettings = 1;
            } else {
                continue;  // unknown switches are ignored and not counted
            }
        } else {
            m_strPath = argument;
        }
        ++count;
    }
    return count;
}
