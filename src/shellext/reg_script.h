#pragma once
// A registration script as data: rows of key, mark, value name and data, in
// tree order (every key after its parent; a key's rows together).
//
// Registering creates missing keys and sets the values; a ForceRemove key is
// deleted with everything below it first, so registering twice leaves one
// set. Unregistering deletes the listed values and then every listed key not
// marked NoRemove whose subkeys are all gone, children first, so keys that
// other software added to stay. A registration that fails part-way removes
// what it wrote and restores the values it replaced.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "shellext/hresult.h"

namespace qlry {

enum class KeyMark { None, ForceRemove, NoRemove };

struct RegRow {
    std::wstring_view key;    // relative to the root; may hold %TOKENS%
    KeyMark mark;
    const wchar_t* value;     // null: the key alone; L"": its default value
    std::wstring_view data;   // a string; may hold %TOKENS%
};

struct RegToken {
    std::wstring_view name;  // without the percent signs
    std::wstring value;
};

// Where a script goes: HKCR, or per user HKCU with "Software\Classes\" before
// every key.
struct RegTarget {
    Registry& registry;
    RegRoot root;
    std::wstring prefix;
};

RegTarget MachineClasses(Registry& registry);
RegTarget UserClasses(Registry& registry);

std::wstring ExpandTokens(std::wstring_view text, std::span<const RegToken> tokens);

HResult RegisterScript(const RegTarget& target, std::span<const RegRow> rows, std::span<const RegToken> tokens);
HResult UnregisterScript(const RegTarget& target, std::span<const RegRow> rows, std::span<const RegToken> tokens);

// Registry strings are UTF-16 with a terminating 0, whatever wchar_t is.
std::u16string ToUtf16(std::wstring_view text);
long SetStringValue(Registry& registry, HKey key, const std::wstring& name, std::wstring_view text);

}  // namespace qlry
