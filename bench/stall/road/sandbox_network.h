#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace twl::test_support {

// The system side of the end-to-end run, in network and mount namespaces of
// the test's own: loopback up, /sys of this namespace, a tmpfs over
// /usr/local whose bin/nmcli is a recording stand-in for NetworkManager's
// command line, mounted over /usr/bin/nmcli where the tools run it, and an
// empty keyfile folder. A root process started before the test gives up root
// plays the NetworkManager daemon: it makes a TUN device named ppp0 when a
// connection is started and removes it when one is stopped or the test drops
// the tunnel by hand. It also watches every process's argv and environment
// for the secrets it was given. Nothing here reaches the host.
class SandboxNetwork {
  public:
    static constexpr const char* stateFolder = "/usr/local/share/twl-nm";
    static constexpr const char* keyfileFolder = "/etc/NetworkManager/system-connections";

    SandboxNetwork() = default;
    ~SandboxNetwork();
    SandboxNetwork(const SandboxNetwork&) = delete;
    SandboxNetwork& operator=(const SandboxNetwork&) = delete;

    // As root: enters the namespaces and builds the network side. Must come
    // before anything is mounted over files under /etc (an overlay may have
    // to go over /etc to give the keyfile folder a place). Empty once done,
    // else why it could not be.
    std::string setUp(const std::filesystem::path& fakeNmcli);
    // As root, last thing before giving root up.
    std::string startDaemon(std::vector<std::string> secrets);

    // From now on each nmcli start and stop takes this long before it acts,
    // as a slow NetworkManager would. As root.
    void slowDownStartAndStop(int seconds);

    // The line is lost: the tunnel goes without anyone asking.
    void dropTunnel();
    // Stops the daemon; what it saw leak, one "pid program: argv|environment"
    // line each (empty when nothing did).
    std::vector<std::string> finish();

    // Every nmcli call so far, as "uid arguments".
    std::vector<std::string> nmcliCalls() const;
    // The keyfile NetworkManager was last asked to load, and the keyfile
    // folder's names at that moment.
    std::string lastLoadedKeyfile() const;
    std::vector<std::string> keyfileFolderAtLastLoad() const;

  private:
    std::string putNmcliInPlace();
    std::string giveKeyfileFolderAPlace();
    static std::string overlayOver(const std::filesystem::path& folder,
                                   const std::string& layersName);

    pid_t daemon_ = -1;
    int commands_ = -1;
};

}  // namespace twl::test_support
