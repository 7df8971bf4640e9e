#pragma once

#include <filesystem>
#include <string>

#include "private_system.h"

// The steps that put the whole road in place on a real system, as root,
// inside the namespaces SandboxNetwork and PrivateSystem make. Each returns
// "" once done, else why it could not be.
namespace twl::test_support {

// Why this machine cannot carry the road at all: root, a TUN device, ip.
std::string whyTheRoadCannotRun();

// The client's resources (`shareDir`) and the provider, where the
// administrator can read them: the build tree may sit in a folder only root
// may enter. Must come after SandboxNetwork::setUp (its tmpfs over
// /usr/local takes them). The bundle's root.
std::filesystem::path copyBundle(const std::filesystem::path& shareDir,
                                 const std::filesystem::path& devprovider);

// A tmpfs over /tmp: whatever the run leaves there (the private system's
// workspace is a mount point the user cannot remove) goes with the namespace.
std::string privateTmp();

// For good, as the client is run: the desktop user `user`, at home in `home`,
// on the offscreen platform with no session bus.
std::string becomeUser(const SandboxUser& user, const std::filesystem::path& home);

}  // namespace twl::test_support
