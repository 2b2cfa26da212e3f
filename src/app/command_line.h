#pragma once
// The platform's standard splitting of a command line into arguments, done
// here rather than by the shell library so that a start of the program
// loads no more than it needs.
#include <string>
#include <vector>

// The first argument (the program) ends at the first blank, or at the next
// double quote when it starts with one. The others are separated by blanks
// (spaces and tabs); a double-quoted part keeps its blanks and loses its
// quotes; backslashes are literal except before a double quote, where 2n
// backslashes give n and the quote opens or closes a quoted part, and
// 2n + 1 give n and a literal quote.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
