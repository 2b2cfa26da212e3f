#include "shellext/app_path.h"

#include "shellext/fixed_text.h"

namespace qlry {

namespace {

// The registry's limit for the read; the buffer itself has room for more.
constexpr uint32_t kValueByteLimit = 1023;

bool IsTerminatedString(uint32_t type, const char16_t* data, uint32_t bytes) {
    if (bytes == 0 || bytes % 2 != 0) return false;
    uint32_t units = bytes / 2;
    if (type == kRegSz || type == kRegExpandSz) return data[units - 1] == 0;
    if (type == kRegMultiSz) return units >= 2 && data[units - 1] == 0 && data[units - 2] == 0;
    return false;
}

// UTF-16 to wchar_t up to the first 0; on Windows a plain copy.
void WidenUtf16(const char16_t* text, wchar_t (&out)[kPathChars]) {
    size_t in = 0, n = 0;
    while (text[in] != 0 && n + 1 < kPathChars) {
        char32_t unit = text[in++];
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit < 0xDC00 && text[in] >= 0xDC00 && text[in] < 0xE000)
                unit = 0x10000 + ((unit - 0xD800) << 10) + (text[in++] - 0xDC00);
        }
        out[n++] = static_cast<wchar_t>(unit);
    }
    out[n] = 0;
}

}  // namespace

bool ReadAppPath(Registry& registry, Shell& shell, wchar_t (&path)[kPathChars]) {
    path[0] = 0;
    UniqueHKey key(registry);
    if (registry.OpenKey(RegRoot::CurrentUser, kInstallKey, kKeyQueryValue, key.put()) != kErrorSuccess) return false;

    char16_t raw[kPathChars] = {};
    uint32_t type = 0;
    uint32_t bytes = kValueByteLimit;
    if (registry.QueryValue(key.get(), kAppFolderValue, type, raw, bytes) != kErrorSuccess) return false;
    if (bytes > kValueByteLimit || !IsTerminatedString(type, raw, bytes)) return false;
    key.reset();

    WidenUtf16(raw, path);
    if (!AppendWhole(path, kPathChars, L"\\") || !AppendWhole(path, kPathChars, kAppFileName)) {
        path[0] = 0;
        return false;
    }
    return shell.PathFileExists(path);
}

}  // namespace qlry
