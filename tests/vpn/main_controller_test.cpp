#include "vpn/main_controller.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "main_screen_harness.h"
#include "privileged/commands.h"

namespace twl {
namespace {

using testing::connectCommand;
using testing::disconnectCommand;
using testing::homeAddress;
using testing::tunnelAddress;
using Texts = std::vector<std::string>;

std::string provisioningCommand() {
    return commands::createService("/opt/tidewaterlink/share/macosvpn", "vpn.test", "demo",
                                   "demo-pass");
}

class MainScreen : public ::testing::Test {
  protected:
    // One click on Connect, then time until the tunnel is seen.
    void connect() {
        h.click(*screen, "btnConnect");
        h.env.loop.advance(2.5);
        ASSERT_TRUE(ctx.isConnected);
    }
    void expectDisconnectedTexts(const ViewController& shown) {
        EXPECT_EQ(h.status(shown), "Disconnected");
        EXPECT_EQ(h.title(shown), "Connect");
    }
    long count(const std::string& notification) const {
        const auto shown = h.notifications();
        return std::count(shown.begin(), shown.end(), notification);
    }
    std::string shownIdentifier() const {
        return h.env.window->contentViewController()->storyboardIdentifier();
    }

    testing::MainScreenHarness h;
    AppContext& ctx = h.ctx();
    std::shared_ptr<MainController> screen = h.showMain();
};

TEST_F(MainScreen, ClosingTheWindowHidesTheClient) {
    EXPECT_EQ(h.address(*screen), homeAddress);
    h.env.window->performClose();
    EXPECT_EQ(h.env.workspace.hideRequests, Texts{"Tidewaterlink"});
}

TEST_F(MainScreen, OneClickConnectsInItsOrder) {
    h.click(*screen, "btnConnect");
    ASSERT_EQ(h.network.seen.size(), 1u);
    const testing::CommandSeen provisioning = h.network.seen[0];
    EXPECT_EQ(provisioning.command, provisioningCommand());
    EXPECT_EQ(h.env.system.commandsRun.size(), 1u) << "with the stored administrator pair";
    EXPECT_EQ(provisioning.status, "Connecting...");
    EXPECT_EQ(provisioning.title, "Connecting...");
    EXPECT_EQ(provisioning.notificationsBefore, 1u);
    EXPECT_EQ(h.notifications(), Texts{"Tidewater Link/Connecting..."});

    h.env.loop.advance(1.99);
    EXPECT_EQ(h.commands().size(), 1u);
    h.env.loop.advance(0.01);
    ASSERT_EQ(h.commands().size(), 2u);
    EXPECT_EQ(h.network.seen[1].command, connectCommand()) << "two seconds after provisioning";
    EXPECT_FALSE(h.network.seen[1].privileged);

    // The tunnel is up at once; the first tick, half a second later, sees it.
    const int reads = h.env.proxySettings.reads;
    h.env.loop.advance(0.49);
    EXPECT_EQ(h.env.proxySettings.reads, reads);
    EXPECT_EQ(h.status(*screen), "Connecting...");
    h.env.loop.advance(0.01);
    EXPECT_EQ(h.status(*screen), "Connected");
    EXPECT_EQ(h.title(*screen), "Disconnect");
    EXPECT_EQ(h.address(*screen), tunnelAddress);
    EXPECT_EQ(h.icon(), "menubar_hover");
    EXPECT_EQ(h.notifications().back(), "Duskway/Connected");
    EXPECT_FALSE(ctx.isConnecting);
}

TEST_F(MainScreen, ClicksDuringAnAttemptAndAStrayCountdownEndSendNothing) {
    h.network.tunnelDelay.reset();
    h.click(*screen, "btnConnect");
    h.click(*screen, "btnConnect");
    h.env.loop.advance(2.0);
    h.click(*screen, "btnConnect");
    // A finished call after the connect command has cleared isTryConnect.
    ctx.timerManager().update();
    h.env.loop.advance(10.0);
    EXPECT_EQ(h.commands(), (Texts{provisioningCommand(), connectCommand()}));
    EXPECT_EQ(h.notifications().size(), 1u);
}

TEST_F(MainScreen, TheButtonFetchesTheAddressBeforeDisconnectingTheOtherControlAfter) {
    connect();
    h.click(*screen, "btnConnect");
    const testing::CommandSeen byButton = h.network.seen.back();
    EXPECT_EQ(byButton.command, disconnectCommand());
    EXPECT_EQ(byButton.status, "Disconnected");
    EXPECT_EQ(byButton.title, "Connect");
    EXPECT_EQ(h.notifications().back(), "Tidewater Link/Disconnected");
    EXPECT_EQ(byButton.notificationsBefore, h.notifications().size())
        << "posted before the command";
    EXPECT_EQ(h.address(*screen), tunnelAddress) << "fetched while the tunnel was up";
    EXPECT_EQ(h.icon(), "menubar");

    connect();
    const auto notifications = h.notifications().size();
    h.click(*screen, "btnDisconnect");
    EXPECT_EQ(h.commands().back(), disconnectCommand());
    expectDisconnectedTexts(*screen);
    EXPECT_EQ(h.address(*screen), homeAddress) << "fetched after the command";
    EXPECT_EQ(h.notifications().size(), notifications);
    EXPECT_FALSE(ctx.isConnected);
}

TEST_F(MainScreen, DisconnectingDuringAnAttemptStillLetsALaterTunnelConnect) {
    h.network.tunnelDelay = 2.8;
    h.click(*screen, "btnConnect");
    h.env.loop.advance(3.0);
    h.click(*screen, "btnDisconnect");
    EXPECT_EQ(h.commands().back(), disconnectCommand());
    expectDisconnectedTexts(*screen);
    EXPECT_TRUE(ctx.isConnecting);

    h.env.loop.advance(2.0);
    EXPECT_EQ(h.status(*screen), "Connected");
    EXPECT_TRUE(ctx.isConnected);
}

TEST_F(MainScreen, AConfirmedDialogStartsExactlyOneAttempt) {
    ctx.isAdminConfirmed = false;
    h.click(*screen, "btnConnect");
    auto dialog = h.presentedDialog();
    ASSERT_NE(dialog, nullptr);
    h.env.loop.advance(1.0);
    h.click(*screen, "btnConnect");
    EXPECT_EQ(h.env.window->presentedWindows().size(), 1u);
    EXPECT_TRUE(h.commands().empty());

    dialog->succeed();
    h.env.loop.advance(0.1);
    EXPECT_EQ(h.env.console.lines, Texts{"-- register user timer --"});
    EXPECT_EQ(h.commands(), Texts{provisioningCommand()});
    h.env.loop.advance(3.0);
    EXPECT_EQ(h.env.console.lines.size(), 1u);
    EXPECT_EQ(h.commands(), (Texts{provisioningCommand(), connectCommand()}));
    EXPECT_EQ(h.status(*screen), "Connected");
}

TEST_F(MainScreen, AnAttemptEndedByTheAlertOrByCancelLeavesTheButtonWorking) {
    ctx.serverUrl = "";
    h.click(*screen, "btnConnect");
    h.click(*screen, "btnConnect");
    ASSERT_EQ(h.env.alerts.alerts.size(), 2u) << "the second click works again";
    EXPECT_EQ(h.env.alerts.alerts[1].messageText, "Tidewaterlink");
    EXPECT_EQ(h.env.alerts.alerts[1].informativeText, "No servers found");
    EXPECT_FALSE(ctx.isConnecting);

    ctx.serverUrl = "vpn.test";
    ctx.isAdminConfirmed = false;
    h.click(*screen, "btnConnect");
    auto first = h.presentedDialog();
    ASSERT_NE(first, nullptr);
    h.env.window->modalWindow()->pressEscape();
    EXPECT_FALSE(ctx.isConnecting);
    h.env.loop.advance(1.0);
    EXPECT_TRUE(h.env.console.lines.empty()) << "the register wait stopped";
    h.click(*screen, "btnConnect");
    EXPECT_NE(h.presentedDialog(), nullptr);
    EXPECT_NE(h.presentedDialog(), first);
}

// Settings and back, and sign-out while connected, are walked in
// tests/settings/qt_whole_road_test.cpp.
TEST_F(MainScreen, SignOutDuringAnAttemptLeavesItRunning) {
    h.network.tunnelDelay = 1.0;
    h.click(*screen, "btnConnect");
    h.env.loop.advance(1.0);
    h.click(*screen, "btnSignOut");
    EXPECT_EQ(h.commands(), Texts{provisioningCommand()});
    EXPECT_EQ(shownIdentifier(), "LoginController");

    h.env.loop.advance(2.0);
    EXPECT_TRUE(ctx.isConnected);
    EXPECT_EQ(h.icon(), "menubar_hover");
}

TEST_F(MainScreen, AnAttemptWithoutTunnelEndsSixtySecondsAfterTheConnectCommand) {
    h.network.tunnelDelay.reset();
    h.click(*screen, "btnConnect");
    h.env.loop.advance(2.0 + 59.9);
    EXPECT_EQ(h.commands().back(), connectCommand());
    EXPECT_EQ(h.status(*screen), "Connecting...");

    h.env.loop.advance(0.1);
    EXPECT_EQ(h.commands().back(), disconnectCommand());
    EXPECT_FALSE(ctx.detectionTimer->isValid());
    expectDisconnectedTexts(*screen);
    EXPECT_EQ(h.icon(), "menubar");
    EXPECT_EQ(h.notifications(),
              (Texts{"Tidewater Link/Connecting...", "Tidewater Link/Disconnected"}));
    h.click(*screen, "btnConnect");
    EXPECT_EQ(h.commands().back(), provisioningCommand()) << "the button works again";
}

TEST_F(MainScreen, ATunnelAtTheLastTickOfTheBoundStillConnects) {
    h.network.tunnelDelay = 60.0;
    h.click(*screen, "btnConnect");
    h.env.loop.advance(62.0);
    EXPECT_EQ(h.status(*screen), "Connected");
}

TEST_F(MainScreen, ATunnelThatDropsWhileConnectedIsNoticed) {
    connect();
    h.env.loop.advance(10.0);
    EXPECT_TRUE(ctx.detectionTimer->isValid());
    EXPECT_EQ(count("Duskway/Connected"), 1) << "the Connected steps run once per attempt";

    const auto commands = h.commands().size();
    h.network.setTunnel(false);
    h.env.loop.advance(0.5);
    expectDisconnectedTexts(*screen);
    EXPECT_EQ(h.address(*screen), homeAddress);
    EXPECT_EQ(h.icon(), "menubar");
    EXPECT_EQ(h.notifications().back(), "Tidewater Link/Disconnected");
    EXPECT_FALSE(ctx.isConnected);
    EXPECT_EQ(h.commands().size(), commands) << "the system took it down: no command";
    EXPECT_FALSE(ctx.detectionTimer->isValid());
}

}  // namespace
}  // namespace twl
