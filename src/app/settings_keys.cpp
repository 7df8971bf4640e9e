#include "app/settings_keys.h"

#include "platform/settings_store.h"

namespace twl {

std::optional<std::string> storedString(const SettingsStore& store, const std::string& key) {
    const auto value = store.objectForKey(key);
    if (!value) {
        return std::nullopt;
    }
    if (const auto* text = std::get_if<std::string>(&*value)) {
        return *text;
    }
    return std::nullopt;
}

bool storedFlagIsSet(const SettingsStore& store, const std::string& key) {
    const auto value = store.objectForKey(key);
    if (!value) {
        return false;
    }
    const auto* flag = std::get_if<bool>(&*value);
    return flag != nullptr && *flag;
}

}  // namespace twl
