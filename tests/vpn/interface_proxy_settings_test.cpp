#include "platform/posix/interface_proxy_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "child_process.h"

namespace twl {
namespace {

TEST(InterfaceProxySettings, ListsInterfacesAsADictionaryUnderScoped) {
    InterfaceProxySettings proxy;
    const auto settings = proxy.copySystemProxySettings();
    ASSERT_TRUE(settings.has_value());
    ASSERT_TRUE(settings->contains("__SCOPED__"));
    EXPECT_TRUE(settings->at("__SCOPED__").is_object());
}

// Brings a TUN device named ppp0 up and down in a private network namespace,
// so the host's interfaces are never touched.
TEST(InterfaceProxySettings, SeesPpp0OnlyWhileItIsUpInAPrivateNamespace) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a network namespace and a TUN device";
    }
    if (!testing::haveProgram("unshare") || !testing::haveProgram("ip")) {
        GTEST_SKIP() << "needs unshare (util-linux) and ip (iproute2)";
    }
    if (!std::filesystem::exists("/dev/net/tun")) {
        GTEST_SKIP() << "no /dev/net/tun: TUN devices are unavailable";
    }
    const std::map<std::string, std::string> env{{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};
    if (testing::runChild({"unshare", "--net", "true"}, env).exitCode != 0) {
        GTEST_SKIP() << "unshare --net is not permitted here";
    }

    const std::string probe = std::string("'") + TUNNEL_PROBE + "'";
    const std::string script = "set -e; " + probe + "; ip link set lo up; " + probe +
                               "; ip tuntap add dev ppp0 mode tun; " + probe +
                               "; ip link set ppp0 up; " + probe + "; ip link delete ppp0; " +
                               probe;
    const auto run = testing::runChild({"unshare", "--net", "/bin/sh", "-c", script}, env);
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
