#include "shellext/launch_parameters.h"

#include <cwchar>

#include "shellext/fixed_text.h"

namespace qlry {

namespace {

bool FormatQuoted(const wchar_t* switchText, const wchar_t* path, wchar_t (&params)[kParamChars]) {
    params[0] = 0;
    size_t length = wcslen(path);
    bool ok = AppendWhole(params, kParamChars, switchText) && AppendWhole(params, kParamChars, L" \"") &&
              AppendWhole(params, kParamChars, path) &&
              (length == 0 || path[length - 1] != L'\\' || AppendWhole(params, kParamChars, L"\\")) &&
              AppendWhole(params, kParamChars, L"\"");
    if (!ok) params[0] = 0;
    return ok;
}

}  // namespace

bool FormatCopyParameters(const wchar_t* path, wchar_t (&params)[kParamChars]) {
    return FormatQuoted(L"-c", path, params);
}

bool FormatPasteParameters(const wchar_t* path, bool append, bool newFile, wchar_t (&params)[kParamChars],
                           bool quick) {
    bool ok = FormatQuoted(L"-p", path, params) && (!append || AppendWhole(params, kParamChars, L" /a")) &&
              (!newFile || AppendWhole(params, kParamChars, L" /n")) &&
              (!quick || AppendWhole(params, kParamChars, L" /q"));
    if (!ok) params[0] = 0;
    return ok;
}

}  // namespace qlry
