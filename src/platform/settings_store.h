#pragma once

#include <optional>
#include <string>

#include "platform/setting_value.h"

namespace twl {

// The per-user settings store. Called on the main thread only. Writes go through
// at once and survive the process; failures are the store's business and are
// never reported to the caller.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // The stored value, or nothing when the key was never written (or holds a
    // value of a type the client never writes).
    virtual std::optional<SettingValue> objectForKey(const std::string& key) const = 0;
    virtual void setObject(const std::string& value, const std::string& key) = 0;
    virtual void setBool(bool value, const std::string& key) = 0;
    // Takes the key out of the store; nothing happens when it is absent.
    virtual void removeObjectForKey(const std::string& key) = 0;
};

}  // namespace twl
