#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_command.h"

namespace twl::test_support {

// The real NetworkManager, all to a test: this process moves into network and
// mount namespaces of its own, with tmpfs over /run, NetworkManager's state
// folder and its keyfile folder, and starts a system bus and NetworkManager
// (keyfile plugin only; no DNS or host name changes) there. Ending it stops
// both daemons by pid and brings the process back to the host's namespaces,
// where nothing of it is left. Needs root.
class PrivateNetworkManager {
  public:
    static constexpr const char* keyfileFolder = "/etc/NetworkManager/system-connections";

    PrivateNetworkManager() = default;
    ~PrivateNetworkManager();
    PrivateNetworkManager(const PrivateNetworkManager&) = delete;
    PrivateNetworkManager& operator=(const PrivateNetworkManager&) = delete;

    // Empty once NetworkManager answers, else why it could not be.
    std::string start();

    // nmcli as root, as the tools run it.
    tools::CommandResult nmcli(const std::vector<std::string>& args) const;

    // A folder for the test's own files (a tmpfs of the namespace, 0755).
    const std::filesystem::path& scratch() const { return scratch_; }

  private:
    std::string enterNamespaces();
    std::string startBus();
    std::string startDaemon();
    void stop();

    int hostMounts_ = -1;
    int hostNetwork_ = -1;
    int workingFolder_ = -1;
    std::filesystem::path scratch_;
    pid_t bus_ = -1;
    pid_t daemon_ = -1;
};

}  // namespace twl::test_support
