#include "platform/posix/interface_proxy_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "child_command.h"

namespace twl {
namespace {

// Brings a TUN device named ppp0 up and down in a private network namespace,
// so the host's interfaces are never touched.
TEST(InterfaceProxySettings, SeesPpp0OnlyWhileItIsUpInAPrivateNamespace) {
    if (::geteuid() != 0 || !std::filesystem::exists("/dev/net/tun")) {
        GTEST_SKIP() << "needs root and /dev/net/tun to make a network namespace and a TUN device";
    }
    if (!tools::runCommand({"ip", "-V"}).started ||
        tools::runCommand({"unshare", "--net", "true"}).exitCode != 0) {
        GTEST_SKIP() << "needs ip (iproute2) and a permitted unshare --net (util-linux)";
    }
    // Built from a runtime string: GCC 12 misreports literal concatenation here.
    const std::string probePath = TUNNEL_PROBE;
    const std::string probe = "'" + probePath + "'";
    std::string script = "set -e; " + probe;
    for (const char* step : {"ip link set lo up", "ip tuntap add dev ppp0 mode tun",
                             "ip link set ppp0 up", "ip link delete ppp0"}) {
        script.append("; ").append(step).append("; ").append(probe);
    }
    const auto run = tools::runCommand({"unshare", "--net", "/bin/sh", "-c", script});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "false\n"         // a fresh namespace: nothing is up
              "false lo\n"      // loopback up
              "false lo\n"      // ppp0 exists but is down
              "true lo ppp0\n"  // ppp0 up: the tunnel is seen
              "false lo\n");    // deleted
}

}  // namespace
}  // namespace twl
