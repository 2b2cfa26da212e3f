#include "shellext/ask_for_name.h"

#include "common/user_settings.h"

namespace qlry {

bool ReadAskForName(Registry& registry) noexcept {
    UniqueHKey key(registry);
    if (registry.OpenKey(RegRoot::CurrentUser, kSettingsKey, kKeyQueryValue, key.put()) != kErrorSuccess) return true;
    uint32_t value = 1;
    uint32_t type = 0;
    uint32_t bytes = sizeof(value);
    if (registry.QueryValue(key.get(), kAskForNameEntry, type, &value, bytes) != kErrorSuccess) return true;
    return type != kRegDword || bytes != sizeof(value) || value != 0;
}

}  // namespace qlry
