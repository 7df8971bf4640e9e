#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace twl {

// The settings store as a JSON file, private to the user (folder 0700, file
// 0600). Loaded once; every change is written through at once, atomically and
// durably, so a crash at any instant leaves the old file or the new one. A
// write holds a lock beside the file and changes only its own key in what is
// on disk, so two clients of the same user lose nothing of each other's.
// A folder or file that belongs to another user is neither read nor written.
class SettingsFileStore final : public SettingsStore {
  public:
    // The file itself, e.g. <config>/tidewaterlink/defaults.json.
    explicit SettingsFileStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/tidewaterlink/defaults.json, else ~/.config/..., with
    // the home folder from the password database when HOME is unset.
    static std::filesystem::path defaultPath();

    std::optional<SettingValue> objectForKey(const std::string& key) const override;
    void setObject(const std::string& value, const std::string& key) override;
    void setBool(bool value, const std::string& key) override;
    void removeObjectForKey(const std::string& key) override;

    const std::filesystem::path& path() const { return file_; }

  private:
    void load();
    void setAsideUnreadable(const std::string& reason);
    void save(const std::string& key);
    // False when the file is there but cannot be opened: it is not written over.
    bool mergeFromDisk(const std::string& key);
    void write(const std::filesystem::path& folder) const;

    std::filesystem::path file_;
    // Kept as JSON so that keys and values this version does not know survive
    // a rewrite.
    nlohmann::json values_ = nlohmann::json::object();
    bool foreign_ = false;  // not this user's: kept in memory only
};

}  // namespace twl
