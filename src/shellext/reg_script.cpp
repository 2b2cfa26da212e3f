#include "shellext/reg_script.h"

#include <cstdint>

namespace qlry {

namespace {

struct KeyPlan {
    std::wstring path;  // full path below the root
    KeyMark mark = KeyMark::None;
    std::vector<std::pair<std::wstring, std::wstring>> values;  // name, data
};

// The script's keys in order of first appearance, tokens expanded.
std::vector<KeyPlan> PlanKeys(const RegTarget& target, std::span<const RegRow> rows,
                              std::span<const RegToken> tokens) {
    std::vector<KeyPlan> plans;
    for (const RegRow& row : rows) {
        std::wstring path = target.prefix + ExpandTokens(row.key, tokens);
        if (plans.empty() || plans.back().path != path) {
            plans.push_back({path, row.mark, {}});
        }
        if (row.value) plans.back().values.emplace_back(row.value, ExpandTokens(row.data, tokens));
    }
    return plans;
}

bool IsMissing(long error) { return error == kErrorFileNotFound; }

struct SavedValue {
    std::wstring key;
    std::wstring name;
    bool existed = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// What a registration wrote, so that a failure can take it back.
struct Journal {
    std::vector<std::wstring> createdKeys;
    std::vector<SavedValue> replacedValues;  // values set in keys that were there before
};

SavedValue SaveValue(Registry& registry, HKey key, const std::wstring& path, const std::wstring& name) {
    SavedValue saved{path, name, false, 0, {}};
    uint32_t bytes = 0;
    if (registry.QueryValue(key, name, saved.type, nullptr, bytes) != kErrorSuccess) return saved;
    saved.data.resize(bytes);
    if (registry.QueryValue(key, name, saved.type, saved.data.data(), bytes) != kErrorSuccess) return saved;
    saved.data.resize(bytes);
    saved.existed = true;
    return saved;
}

void Rollback(const RegTarget& target, const Journal& journal) {
    Registry& registry = target.registry;
    for (auto it = journal.replacedValues.rbegin(); it != journal.replacedValues.rend(); ++it) {
        UniqueHKey key(registry);
        if (registry.OpenKey(target.root, it->key, kKeyAllAccess, key.put()) != kErrorSuccess) continue;
        if (it->existed)
            registry.SetValue(key.get(), it->name, it->type, it->data.data(), static_cast<uint32_t>(it->data.size()));
        else
            registry.DeleteValue(key.get(), it->name);
    }
    for (auto it = journal.createdKeys.rbegin(); it != journal.createdKeys.rend(); ++it)
        registry.DeleteTree(target.root, *it);
}

long RegisterKey(const RegTarget& target, const KeyPlan& plan, Journal& journal) {
    Registry& registry = target.registry;
    if (plan.mark == KeyMark::ForceRemove) {
        long error = registry.DeleteTree(target.root, plan.path);
        if (error != kErrorSuccess && !IsMissing(error)) return error;
    }
    bool existed = false;
    {
        UniqueHKey probe(registry);
        existed = registry.OpenKey(target.root, plan.path, kKeyQueryValue, probe.put()) == kErrorSuccess;
    }
    UniqueHKey key(registry);
    long error = registry.CreateKey(target.root, plan.path, key.put());
    if (error != kErrorSuccess) return error;
    if (!existed) journal.createdKeys.push_back(plan.path);

    for (const auto& [name, data] : plan.values) {
        if (existed) journal.replacedValues.push_back(SaveValue(registry, key.get(), plan.path, name));
        error = SetStringValue(registry, key.get(), name, data);
        if (error != kErrorSuccess) return error;
    }
    return kErrorSuccess;
}

long UnregisterKey(const RegTarget& target, const KeyPlan& plan) {
    Registry& registry = target.registry;
    if (plan.mark == KeyMark::NoRemove && plan.values.empty()) return kErrorSuccess;

    UniqueHKey key(registry);
    long error = registry.OpenKey(target.root, plan.path, kKeyAllAccess, key.put());
    if (IsMissing(error)) return kErrorSuccess;
    if (error != kErrorSuccess) return error;

    for (const auto& value : plan.values) {
        error = registry.DeleteValue(key.get(), value.first);
        if (error != kErrorSuccess && !IsMissing(error)) return error;
    }
    if (plan.mark == KeyMark::NoRemove) return kErrorSuccess;

    uint32_t subKeys = 0, values = 0;
    error = registry.QueryInfoKey(key.get(), subKeys, values);
    if (error != kErrorSuccess) return error;
    key.reset();
    if (subKeys != 0) return kErrorSuccess;  // other software keeps something here
    error = registry.DeleteKey(target.root, plan.path);
    return IsMissing(error) ? kErrorSuccess : error;
}

}  // namespace

RegTarget MachineClasses(Registry& registry) { return {registry, RegRoot::ClassesRoot, L""}; }

RegTarget UserClasses(Registry& registry) { return {registry, RegRoot::CurrentUser, L"Software\\Classes\\"}; }

std::wstring ExpandTokens(std::wstring_view text, std::span<const RegToken> tokens) {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find(L'%', at);
        size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) break;
        std::wstring_view name = text.substr(open + 1, close - open - 1);
        out.append(text.substr(at, open - at));
        const RegToken* found = nullptr;
        for (const RegToken& token : tokens)
            if (token.name == name) found = &token;
        if (found) {
            out.append(found->value);
            at = close + 1;
        } else {
            // Not a token: keep the percent sign and look on after it.
            out.push_back(L'%');
            at = open + 1;
        }
    }
    out.append(text.substr(at));
    return out;
}

HResult RegisterScript(const RegTarget& target, std::span<const RegRow> rows, std::span<const RegToken> tokens) {
    Journal journal;
    for (const KeyPlan& plan : PlanKeys(target, rows, tokens)) {
        long error = RegisterKey(target, plan, journal);
        if (error != kErrorSuccess) {
            Rollback(target, journal);
            return HResultFromWin32(error);
        }
    }
    return kSOk;
}

HResult UnregisterScript(const RegTarget& target, std::span<const RegRow> rows, std::span<const RegToken> tokens) {
    std::vector<KeyPlan> plans = PlanKeys(target, rows, tokens);
    for (auto it = plans.rbegin(); it != plans.rend(); ++it) {
        long error = UnregisterKey(target, *it);
        if (error != kErrorSuccess) return HResultFromWin32(error);
    }
    return kSOk;
}

std::u16string ToUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        char32_t code = static_cast<char32_t>(c);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

long SetStringValue(Registry& registry, HKey key, const std::wstring& name, std::wstring_view text) {
    std::u16string data = ToUtf16(text);
    return registry.SetValue(key, name, kRegSz, data.c_str(), static_cast<uint32_t>((data.size() + 1) * 2));
}

}  // namespace qlry
