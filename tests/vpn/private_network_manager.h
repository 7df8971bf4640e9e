#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

#include "private_system.h"

namespace twl::test_support {

// The real NetworkManager, all to a test: a private system with a network of
// its own, tmpfs over NetworkManager's state and keyfile folders and over
// what the L2TP plugin writes (/etc/ipsec.d, a copy of /etc/ipsec.secrets),
// and a system bus (where root may own logind's name) and NetworkManager
// (keyfile plugin only; no DNS or host name changes) of its own. Everything started in its
// namespace ends with it, the plugin's strongSwan too. Needs root.
class PrivateNetworkManager {
  public:
    static constexpr const char* keyfileFolder = "/etc/NetworkManager/system-connections";
    static constexpr const char* gatewayAddress = "10.99.0.2";

    struct Options {
        std::string config;  // added to its configuration
        // A base connection on a veth pair whose far end, gatewayAddress, is
        // a host of the test's own in a peer network namespace; NetworkManager
        // takes the device without udev because sysfs is read-only.
        bool gateway = false;
        // NetworkManager starts tests/vpn/stand_in_vpn_plugin in the L2TP
        // plugin's place.
        bool standInPlugin = false;
    };

    // Empty once NetworkManager answers, else why it could not be.
    std::string start(const Options& options);
    // A folder for the test's own files (0755).
    static std::filesystem::path scratch() { return "/run/twl-nm"; }
    PrivateSystem& system() { return system_; }
    // Runs body at the gateway host, in a mount namespace of its own with a
    // tmpfs over /run; it ends with the test.
    pid_t startAtGateway(const std::function<int()>& body);

  private:
    std::string useStandInPlugin();
    std::string addGateway();

    PrivateSystem system_;
};

}  // namespace twl::test_support
