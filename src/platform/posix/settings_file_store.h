#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace twl {

// The settings store as a JSON file, private to the user (folder 0700, file
// 0600). Loaded once; every set is written through at once, atomically and
// durably, so a crash at any instant leaves the old file or the new one.
class SettingsFileStore final : public SettingsStore {
  public:
    // The file itself, e.g. <config>/tidewaterlink/defaults.json.
    explicit SettingsFileStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/tidewaterlink/defaults.json, else ~/.config/...
    static std::filesystem::path defaultPath();

    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    void setObject(const std::string& value, const std::string& key) override;
    void setBool(bool value, const std::string& key) override;

    const std::filesystem::path& path() const { return file_; }

  private:
    void load();
    void setAsideUnreadable(const std::string& reason);
    void save() const;

    std::filesystem::path file_;
    // Kept as JSON so that keys and values this version does not know survive
    // a rewrite.
    nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace twl
