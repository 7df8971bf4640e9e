// Connection attempts against the real NetworkManager and its L2TP plugin, in
// namespaces of the test's own: the client's own wiring (its session, the
// watch on the bus, the real tools as root) over a base connection whose
// gateway is a host of the test's own. This kernel has no PPP, L2TP or ESP,
// so no real attempt gets a tunnel: a real one ends with NetworkManager's
// reason, and the stand-in plugin plays the tunnel that does come up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>

#include <filesystem>
#include <fstream>
#include <memory>

#include "attempting_client.h"
#include "child_command.h"
#include "nmcli.h"
#include "platform/qt_test_support.h"
#include "private_network_manager.h"
#include "screens/desktop_client.h"
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
        if (::access(starter, X_OK) != 0) {
            GTEST_SKIP() << "needs strongSwan's starter (scripts/install-deps installs it)";
        }
        if (auto why = nm.start(options); !why.empty()) {
            GTEST_SKIP() << why;
        }
        client = std::make_unique<AttemptingClient>();
    }

    // Connects to a strongSwan responder at the gateway that knows `key`,
    // until the attempt is over: what the responder logged.
    std::string attemptAt(const std::string& key) {
        const fs::path files = folder.path();
        std::ofstream(files / "ipsec.secrets") << ": PSK \"" << key << "\"\n";
        std::ofstream(files / "ipsec.conf") << R"(conn l2tp
  keyexchange=ikev1
  authby=secret
  type=transport
  left=10.99.0.2
  leftprotoport=udp/l2tp
  right=%any
  rightprotoport=udp/%any
  auto=add
)";
        std::ofstream(files / "strongswan.conf")
            << "charon {\n load_modular = yes\n filelog {\n responder {\n path = "
            << (files / "log").string() << "\n default = 1\n flush_line = yes\n }\n }\n"
            << " plugins {\n include strongswan.d/charon/*.conf\n }\n}\n";
        nm.startAtGateway([files] {
            for (const char* name : {"ipsec.conf", "ipsec.secrets", "strongswan.conf"}) {
                if (tools::runCommand({"mount", "--bind", files / name, fs::path("/etc") / name})
                        .exitCode != 0) {
                    return 125;
                }
            }
            ::execl(starter, starter, "--daemon", "charon", "--nofork", nullptr);
            return 127;
        });
        const auto said = [files] { return test_support::readFile(files / "log"); };
        EXPECT_TRUE(test_support::spinUntil(
            [&] { return said().find("added configuration") != std::string::npos; }, 10000))
            << said();
        EXPECT_GT(client->connectUntil("Disconnected"), 0.0) << AttemptingClient::status();
        EXPECT_NE(AttemptingClient::reason(), "");
        return said();
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
}

// The profile's gateway, key and proposals against a real IPsec peer; only
// installing the SA, which this kernel cannot, fails.
TEST_F(AttemptsForReal, AResponderWithTheBuiltInKeyEstablishesIke) {
    start({});
    EXPECT_THAT(attemptAt("psk731"), testing::HasSubstr("IKE_SA l2tp[1] established"));
}

// The tunnel NetworkManager names (ppp1; no ppp0 anywhere) shows as Connected
// at once and is the one watched; NetworkManager's word on a lost line or a
// refused login shows at once too.
TEST_F(AttemptsForReal, TheTunnelAndItsEndAreNetworkManagers) {
    start({.config = "", .gateway = true, .standInPlugin = true});
    const fs::path control = PrivateNetworkManager::scratch() / "stand-in-plugin";
    std::ofstream(control) << "activate\n";
    EXPECT_GT(client->connectUntil("Connected"), 0.0) << AttemptingClient::status();
    EXPECT_NE(tools::runCommand({"ip", "link", "show", "ppp0"}).exitCode, 0);
    EXPECT_EQ(client->client().context().statusBarButton->imageName(), "menubar_hover");
    // A lost line: the reason shows while the client brings it back.
    std::ofstream(control.string() + ".drop").flush();
    EXPECT_TRUE(AttemptingClient::showsWithin("Connecting...", 5000));
    EXPECT_EQ(AttemptingClient::reason(),
              "The VPN connection failed, and NetworkManager gave no reason. (NetworkManager: "
              "unknown)")
        << "a plugin that stops without a word gives no reason";
    fs::remove(control.string() + ".drop");
    EXPECT_TRUE(AttemptingClient::showsWithin("Connected", 15000));
    // The tick sees its tunnel go down; NetworkManager says nothing in time.
    ASSERT_EQ(tools::runCommand({"ip", "link", "set", "ppp1", "down"}).exitCode, 0);
    EXPECT_TRUE(AttemptingClient::showsWithin("Connecting...", 5000));
    EXPECT_TRUE(AttemptingClient::showsWithin("Connected", 15000));

    test_support::click("btnConnect");
    EXPECT_TRUE(AttemptingClient::showsWithin("Disconnected", 5000));
    test_support::spinUntil([] { return false; }, 1500);  // NetworkManager takes it down
    std::ofstream(control) << "refuse-login\n";
    EXPECT_GT(client->connectUntil("Disconnected"), 0.0);
    EXPECT_EQ(AttemptingClient::reason(),
              "The VPN server did not accept the user name or password. (NetworkManager: "
              "login-failed)");
}

// While our connection is still activating, NetworkManager's reasons for
// real: taken down with nmcli, or its base connection gone.
TEST_F(AttemptsForReal, NetworkManagersReasonsWhileActivatingAreToldApart) {
    start({.config = "", .gateway = true, .standInPlugin = true});
    std::ofstream(PrivateNetworkManager::scratch() / "stand-in-plugin") << "hang\n";
    for (const auto& [takenDown, reason] :
         {std::pair{"Tidewaterlink", "user-disconnected"}, {"base", "device-disconnected"}}) {
        EXPECT_GE(client->connectUntil("Connecting..."), 0.0);
        test_support::spinUntil([] { return false; }, 3000);  // past the connect command
        tools::runNmcli({"connection", "down", "id", takenDown});
        EXPECT_TRUE(AttemptingClient::showsWithin("Disconnected", 10000));
        EXPECT_THAT(AttemptingClient::reason(),
                    testing::HasSubstr(std::string("(NetworkManager: ") + reason + ")"));
    }
}

// A tunnel lost while the machine sleeps, or with the network under it, comes
// back once the machine is awake and the network is there, not before.
TEST_F(AttemptsForReal, ALostTunnelComesBackAfterTheSleepAndTheNetwork) {
    start({.config = "", .gateway = true, .standInPlugin = true});
    const fs::path control = PrivateNetworkManager::scratch() / "stand-in-plugin";
    std::ofstream(control) << "activate\n";
    ASSERT_GT(client->connectUntil("Connected"), 0.0);
    QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SystemBus, "logind");
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    const auto prepareForSleep = [&logind](bool sleeping) {
        logind.send(QDBusMessage::createSignal("/org/freedesktop/login1",
                                               "org.freedesktop.login1.Manager", "PrepareForSleep")
                    << sleeping);
    };
    const auto stays = [](const char* status) {
        return !test_support::spinUntil([&] { return AttemptingClient::status() != status; }, 5000);
    };
    prepareForSleep(true);
    std::ofstream(control.string() + ".drop").flush();
    ASSERT_TRUE(AttemptingClient::showsWithin("Connecting...", 5000));
    fs::remove(control.string() + ".drop");
    EXPECT_TRUE(stays("Connecting...")) << "no try while asleep";
    prepareForSleep(false);
    EXPECT_TRUE(AttemptingClient::showsWithin("Connected", 15000));  // a first try may fail

    tools::runNmcli({"connection", "down", "base"});
    EXPECT_TRUE(AttemptingClient::showsWithin("Connecting...", 15000));
    EXPECT_TRUE(stays("Connecting...")) << "no try without a network";
    tools::runNmcli({"--wait", "20", "connection", "up", "base"});
    EXPECT_TRUE(AttemptingClient::showsWithin("Connected", 15000));  // a first try may fail
}

}  // namespace
}  // namespace twl
