#pragma once

#include <filesystem>
#include <optional>

namespace twl {

// Holds the user's launch-at-login list (on Linux, the XDG autostart folder).
// Kept for completeness: the client never creates one, so it never adds or
// removes launch-at-login entries.
class LoginItemsList {
  public:
    explicit LoginItemsList(std::optional<std::filesystem::path> loginItemsList)
        : loginItemsList_(std::move(loginItemsList)) {}

    const std::optional<std::filesystem::path>& loginItemsList() const { return loginItemsList_; }

  private:
    std::optional<std::filesystem::path> loginItemsList_;
};

}  // namespace twl
