#pragma once

#include <optional>
#include <string>

namespace twl {

class SettingsStore;

// The six keys the client keeps, and the reading rules every reader follows.
namespace keys {
inline constexpr const char* vpnUserName = "vpnUserName";
inline constexpr const char* vpnUserPassword = "vpnUserPassword";
inline constexpr const char* autoLogin = "AutoLogin";
inline constexpr const char* username = "username";
inline constexpr const char* userpassword = "userpassword";
inline constexpr const char* serverUrl = "server_url";
}  // namespace keys

// The string under the key; nothing when the key is absent or holds a boolean.
std::optional<std::string> storedString(const SettingsStore& store, const std::string& key);

// True only when the key is present and holds the boolean true.
bool storedFlagIsSet(const SettingsStore& store, const std::string& key);

}  // namespace twl
