#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "private_system.h"

namespace twl::test_support {

// The network side of the end-to-end run, in a private system with a network
// of its own: a tmpfs over /usr/local whose bin/nmcli is a recording stand-in
// for NetworkManager's command line, mounted where the tools run nmcli, and an
// empty keyfile folder. A root process started before the test gives up root
// plays the NetworkManager daemon: it makes a TUN device named ppp0 when a
// connection is started and removes it when one is stopped or the line drops.
// It also watches every process's argv and environment for the secrets.
class SandboxNetwork {
  public:
    explicit SandboxNetwork(PrivateSystem& system) : system_(system) {}
    ~SandboxNetwork() { finish(); }
    SandboxNetwork(const SandboxNetwork&) = delete;
    SandboxNetwork& operator=(const SandboxNetwork&) = delete;

    // As root, in the system entered with a network of its own, before the
    // users are added. Empty once done, else why it could not be.
    std::string setUp(const std::filesystem::path& fakeNmcli);
    // As root, last thing before giving root up.
    void startDaemon(std::vector<std::string> secrets);

    // The line is lost: the tunnel goes without anyone asking.
    static void dropTunnel();
    // Stops the daemon; what it saw leak, one "pid program: cmdline|environ"
    // line each (empty when nothing did).
    std::vector<std::string> finish();

    // A record of the stand-in's, line by line: "calls" (every nmcli call, as
    // "uid arguments"), "loaded" (the keyfile it was last asked to load) and
    // "folder" (the keyfile folder's names at that moment).
    static std::vector<std::string> record(const std::string& name);

  private:
    PrivateSystem& system_;
    pid_t daemon_ = -1;
};

}  // namespace twl::test_support
