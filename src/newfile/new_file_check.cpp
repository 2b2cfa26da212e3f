#include "newfile/new_file_check.h"

#include <array>

#include "platform/path_text.h"
#include "newfile/file_name_text.h"

namespace qlry {

namespace {

std::wstring WithName(const wchar_t* format, const std::wstring& name) {
    std::wstring text = format;
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, name);
    return text;
}

bool HasControlCharacter(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c < 0x20) return true;
    }
    return false;
}

}  // namespace

bool IsReservedDeviceName(const std::wstring& fileName) {
    // Windows looks at the part before the first dot, less trailing spaces.
    std::wstring base = fileName.substr(0, fileName.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    static constexpr std::array<const wchar_t*, 4> kDevices = {L"con", L"prn", L"aux", L"nul"};
    for (const wchar_t* device : kDevices) {
        if (EqualsIgnoringAsciiCase(base, device)) return true;
    }
    if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9') {
        const std::wstring stem = base.substr(0, 3);
        return EqualsIgnoringAsciiCase(stem, L"com") || EqualsIgnoringAsciiCase(stem, L"lpt");
    }
    return false;
}

std::wstring NewFileRefusal(const std::wstring& folder, const NewFileName& chosen, FileSystem& files) {
    const std::wstring fileName = chosen.name + chosen.ext;
    const std::wstring path = FormNewFilePath(folder, chosen);
    if (HasControlCharacter(fileName)) return kControlCharacterMessage;
    if (IsReservedDeviceName(fileName)) return WithName(kReservedNameMessage, fileName);
    // Windows drops a trailing dot or space when it creates the file, so the
    // file would not bear the name that was tested.
    if (!fileName.empty() && (fileName.back() == L'.' || fileName.back() == L' ')) {
        return WithName(kTrailingDotOrSpaceMessage, fileName);
    }
    if (path.size() > kMaxPathLength || fileName.size() > kMaxFileNameLength) return kNameTooLongMessage;
    if (files.Exists(path)) return WithName(kExistingNameMessage, FindFileName(path));
    return {};
}

bool AcceptNewFile(const std::wstring& folder, const NewFileName& chosen, FileSystem& files, WarningBox& warning) {
    const std::wstring refusal = NewFileRefusal(folder, chosen, files);
    if (refusal.empty()) return true;
    warning.Show(refusal);
    return false;
}

}  // namespace qlry
