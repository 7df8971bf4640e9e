#include "fakes/memory_settings_store.h"

namespace twl::fakes {

std::optional<SettingValue> MemorySettingsStore::objectForKey(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void MemorySettingsStore::setObject(const std::string& value, const std::string& key) {
    values_[key] = value;
    writtenKeys_.push_back(key);
}

void MemorySettingsStore::setBool(bool value, const std::string& key) {
    values_[key] = value;
    writtenKeys_.push_back(key);
}

}  // namespace twl::fakes
