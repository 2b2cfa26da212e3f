#include "app/command_line.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program's name: no escapes, quotes only around the whole of it.
const wchar_t* TakeProgram(const wchar_t* p, std::vector<std::wstring>& arguments) {
    std::wstring program;
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) program += *p;
        if (*p) ++p;
    } else {
        for (; *p && !IsBlank(*p); ++p) program += *p;
    }
    arguments.push_back(program);
    return p;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    if (!commandLine) return arguments;
    const wchar_t* p = TakeProgram(commandLine, arguments);
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (!*p) return arguments;
        std::wstring argument;
        bool quoted = false;
        for (; *p && (quoted || !IsBlank(*p)); ++p) {
            size_t backslashes = 0;
            while (p[backslashes] == L'\\') ++backslashes;
            if (p[backslashes] != L'"') {
                argument.append(backslashes ? backslashes : 1, *p);  // literal backslashes, or one character
                p += backslashes ? backslashes - 1 : 0;
                continue;
            }
            argument.append(backslashes / 2, L'\\');
            p += backslashes;  // now on the quote
            if (backslashes % 2) argument += L'"';
            else quoted = !quoted;
        }
        arguments.push_back(argument);
    }
}
