#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace twl::fakes {

// Settings in memory, with a log of every write so tests can check that a path
// changed nothing.
class MemorySettingsStore final : public SettingsStore {
  public:
    std::optional<SettingValue> objectForKey(const std::string& key) const override {
        const auto found = values_.find(key);
        return found == values_.end() ? std::nullopt : std::optional(found->second);
    }
    void setObject(const std::string& value, const std::string& key) override { set(value, key); }
    void setBool(bool value, const std::string& key) override { set(value, key); }
    void removeObjectForKey(const std::string& key) override {
        values_.erase(key);
        writtenKeys_.push_back(key);
    }

    const std::vector<std::string>& writtenKeys() const { return writtenKeys_; }

  private:
    void set(SettingValue value, const std::string& key) {
        values_[key] = std::move(value);
        writtenKeys_.push_back(key);
    }

    std::map<std::string, SettingValue> values_;
    std::vector<std::string> writtenKeys_;
};

}  // namespace twl::fakes
