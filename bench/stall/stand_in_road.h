#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "private_system.h"

namespace twl::test_support {

// The system under the stall walk, in a private system with a network of its
// own: NetworkManager is played by a stand-in nmcli (fake_nmcli.sh, keeping
// its state in /usr/local/share/twl-nm) mounted where the tools run nmcli, an empty
// keyfile folder, and a root daemon that makes a TUN device named ppp0 when a
// connection is started and removes it when one is stopped. The administrator is a throwaway user
// whom sudo asks for a password; the client's bundle and the provider lie where that user can read
// them.
class StandInRoad {
  public:
    ~StandInRoad();

    // As root, the daemon last. Empty once done, else why this machine
    // cannot carry the road.
    std::string setUp(int startStopSeconds);
    // For good, as the client is run: the administrator at home, on the
    // offscreen platform with no session bus.
    std::string becomeAdministrator();
    const SandboxUser& administrator() const { return admin_; }
    const std::filesystem::path& bundleRoot() const { return bundleRoot_; }
    std::filesystem::path home() const { return PrivateSystem::drop() / "home"; }

    // Ends the daemon.
    void finish();

  private:
    std::string installStandInNetwork(int startStopSeconds);

    PrivateSystem system_;
    SandboxUser admin_;
    std::filesystem::path bundleRoot_;
    pid_t daemon_ = -1;
};

}  // namespace twl::test_support
