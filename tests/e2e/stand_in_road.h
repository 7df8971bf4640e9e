#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "private_system.h"

namespace twl::test_support {

// The system under the whole road, in a private system with a network of its
// own: NetworkManager is played by a recording nmcli (fake_nmcli.sh, keeping
// its state in /usr/local/share/twl-nm) mounted where the tools run nmcli, an empty
// keyfile folder, and a root daemon that makes a TUN device named ppp0 when a
// connection is started, takes it down when the line drops and removes it
// when one is stopped. The administrator is a throwaway user whom sudo asks
// for a password; the client's bundle and the provider lie where that user
// can read them.
class StandInRoad {
  public:
    struct Options {
        // What the daemon watches every process's argv and environment for,
        // besides the administrator's password and the pre-shared key. None:
        // it does not look, which spares the machine a scan of /proc each turn.
        std::vector<std::string> secrets;
        // How long nmcli takes to start or stop a connection.
        int startStopSeconds = 0;
    };

    ~StandInRoad();

    // As root, the daemon last. Empty once done, else why this machine
    // cannot carry the road.
    std::string setUp(const Options& options);
    // For good, as the client is run: the administrator at home, on the
    // offscreen platform with no session bus.
    std::string becomeAdministrator();
    const SandboxUser& administrator() const { return admin_; }
    const std::filesystem::path& bundleRoot() const { return bundleRoot_; }
    std::filesystem::path home() const { return PrivateSystem::drop() / "home"; }

    // The line is lost: the tunnel goes down without anyone asking.
    static void dropLine();
    // Ends the daemon: what it saw leak, a "pid program: part" line each.
    std::vector<std::string> finish();
    // One of the stand-in's records, a line each: "calls" ("uid arguments"),
    // "loaded" (the last keyfile loaded), "folder" (the keyfiles at that moment).
    static std::vector<std::string> record(const std::string& name);

  private:
    std::string installStandInNetwork(int startStopSeconds);

    PrivateSystem system_;
    SandboxUser admin_;
    std::filesystem::path bundleRoot_;
    pid_t daemon_ = -1;
};

}  // namespace twl::test_support
