// Connection attempts against the real NetworkManager and its L2TP plugin, in
// namespaces of the test's own: the client's own wiring (its session, the
// watch on the bus, the real tools as root) over a base connection whose
// gateway is a host of the test's own. This kernel has no PPP, L2TP or ESP,
// so no real attempt gets a tunnel: a real one ends with NetworkManager's
// reason, and the stand-in plugin plays the tunnel that does come up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "attempting_client.h"
#include "child_command.h"
#include "platform/qt/desktop_client.h"
#include "platform/qt_test_support.h"
#include "private_network_manager.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using test_support::AttemptingClient;
using test_support::PrivateNetworkManager;

constexpr const char* starter = "/usr/lib/ipsec/starter";

class AttemptsForReal : public ::testing::Test {
  protected:
    void start(PrivateNetworkManager::Options options) {
        options.gateway = true;
        if (auto why = nm.start(options); !why.empty()) {
            GTEST_SKIP() << why;
        }
        client = std::make_unique<AttemptingClient>();
    }

    // A strongSwan responder at the gateway that knows `key`; its log.
    fs::path startResponder(const std::string& key) {
        if (::access(starter, X_OK) != 0) {
            ADD_FAILURE() << "strongSwan's starter is missing (scripts/install-deps)";
            return {};
        }
        const fs::path log = folder / "charon.log";
        std::ofstream(folder / "ipsec.conf")
            << "config setup\nconn l2tp\n  keyexchange=ikev1\n  authby=secret\n"
               "  type=transport\n  left="
            << PrivateNetworkManager::gatewayAddress
            << "\n  leftprotoport=udp/l2tp\n  right=%any\n  rightprotoport=udp/%any\n"
               "  auto=add\n";
        std::ofstream(folder / "ipsec.secrets") << ": PSK \"" << key << "\"\n";
        std::ofstream(folder / "strongswan.conf")
            << "charon {\n  load_modular = yes\n  filelog {\n    responder {\n      path = "
            << log.string()
            << "\n      default = 1\n      flush_line = yes\n    }\n  }\n"
               "  plugins {\n    include strongswan.d/charon/*.conf\n  }\n}\n"
               "include strongswan.d/*.conf\n";
        const fs::path files = folder.path();
        nm.startAtGateway([files] {
            for (const char* name : {"ipsec.conf", "ipsec.secrets", "strongswan.conf"}) {
                const std::string mounted = "/etc/" + std::string(name);
                if (::access(mounted.c_str(), F_OK) != 0 ||
                    tools::runCommand({"mount", "--bind", files / name, mounted}).exitCode != 0) {
                    return 125;
                }
            }
            ::execl(starter, starter, "--daemon", "charon", "--nofork", nullptr);
            return 127;
        });
        EXPECT_TRUE(test_support::spinUntil(
            [&] {
                return test_support::readFile(log).find("added configuration") != std::string::npos;
            },
            10000))
            << test_support::readFile(log);
        return log;
    }

    PrivateNetworkManager nm;
    test_support::TempFolder folder;
    std::unique_ptr<AttemptingClient> client;
};

TEST_F(AttemptsForReal, ASilentGatewayEndsTheAttemptWithNetworkManagersReason) {
    start({});
    const double seconds = client->connectUntil("Disconnected");
    EXPECT_GT(seconds, 0.0) << AttemptingClient::status();
    EXPECT_LT(seconds, 35.0) << "NetworkManager knew long before the minute was up";
    EXPECT_EQ(AttemptingClient::reason(),
              "The VPN connection could not be set up: the server did not answer or did not "
              "accept it. (NetworkManager: service-start-failed)");
    EXPECT_EQ(test_support::visible<QAbstractButton>("btnConnect")->text(), "Connect");
}

// The profile's gateway, key and proposals against a real IPsec peer; only
// installing the SA, which this kernel cannot, fails.
TEST_F(AttemptsForReal, AResponderWithTheBuiltInKeyEstablishesIkeThenTheAttemptEnds) {
    start({});
    const fs::path log = startResponder("psk731");
    EXPECT_GT(client->connectUntil("Disconnected"), 0.0) << AttemptingClient::status();
    EXPECT_NE(test_support::readFile(log).find("IKE_SA l2tp[1] established"), std::string::npos)
        << test_support::readFile(log);
    EXPECT_NE(AttemptingClient::reason(), "");
}

TEST_F(AttemptsForReal, AResponderWithAnotherKeyRefusesIkeAndTheAttemptEnds) {
    start({});
    const fs::path log = startResponder("not-the-built-in-key");
    EXPECT_GT(client->connectUntil("Disconnected"), 0.0) << AttemptingClient::status();
    const std::string said = test_support::readFile(log);
    EXPECT_NE(said.find("10.99.0.1 is initiating a Main Mode IKE_SA"), std::string::npos) << said;
    EXPECT_EQ(said.find("established"), std::string::npos) << said;
    EXPECT_NE(AttemptingClient::reason(), "");
}

// The tunnel NetworkManager names (ppp1; no ppp0 anywhere) shows as Connected
// at once and is the one watched; NetworkManager's word on a lost line or a
// refused login shows at once too.
TEST_F(AttemptsForReal, TheTunnelAndItsEndAreNetworkManagers) {
    start({.config = "", .gateway = true, .standInPlugin = true});
    const fs::path control = PrivateNetworkManager::scratch() / "stand-in-plugin";
    const auto down = [] {
        return test_support::spinUntil([] { return AttemptingClient::status() == "Disconnected"; },
                                       5000);
    };
    std::ofstream(control) << "activate\n";
    EXPECT_GT(client->connectUntil("Connected"), 0.0) << AttemptingClient::status();
    EXPECT_NE(tools::runCommand({"ip", "link", "show", "ppp0"}).exitCode, 0);
    EXPECT_EQ(client->client().context().statusBarButton->imageName(), "menubar_hover");
    std::ofstream(control.string() + ".drop").flush();
    EXPECT_TRUE(down());
    EXPECT_EQ(AttemptingClient::reason(),
              "The VPN connection failed, and NetworkManager gave no reason. (NetworkManager: "
              "unknown)")
        << "a plugin that stops without a word gives no reason";

    fs::remove(control.string() + ".drop");
    EXPECT_GT(client->connectUntil("Connected"), 0.0);
    // The tick sees its tunnel go down before NetworkManager says a word.
    ASSERT_EQ(tools::runCommand({"ip", "link", "set", "ppp1", "down"}).exitCode, 0);
    EXPECT_TRUE(down());
    EXPECT_EQ(AttemptingClient::reason(), "");

    std::ofstream(control) << "refuse-login\n";
    EXPECT_GT(client->connectUntil("Disconnected"), 0.0);
    EXPECT_EQ(AttemptingClient::reason(),
              "The VPN server did not accept the user name or password. (NetworkManager: "
              "login-failed)");
}

}  // namespace
}  // namespace twl
