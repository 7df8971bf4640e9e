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
    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    void setObject(const std::string& value, const std::string& key) override;
    void setBool(bool value, const std::string& key) override;

    const std::map<std::string, SettingValue>& values() const { return values_; }
    const std::vector<std::string>& writtenKeys() const { return writtenKeys_; }

  private:
    std::map<std::string, SettingValue> values_;
    std::vector<std::string> writtenKeys_;
};

}  // namespace twl::fakes
