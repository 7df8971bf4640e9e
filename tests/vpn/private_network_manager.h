#pragma once

#include <filesystem>
#include <string>

#include "private_system.h"

namespace twl::test_support {

// The real NetworkManager, all to a test: a private system with a network of
// its own, tmpfs over NetworkManager's state and keyfile folders, and a system
// bus and NetworkManager (keyfile plugin only; no DNS or host name changes)
// of its own, both ended with it. Needs root.
class PrivateNetworkManager {
  public:
    static constexpr const char* keyfileFolder = "/etc/NetworkManager/system-connections";

    // Empty once NetworkManager answers, else why it could not be. `config`
    // is added to its configuration.
    std::string start(const std::string& config = "");
    // A folder for the test's own files (0755).
    static std::filesystem::path scratch() { return "/run/twl-nm"; }
    PrivateSystem& system() { return system_; }

  private:
    PrivateSystem system_;
};

}  // namespace twl::test_support
