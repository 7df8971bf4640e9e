// The connect flow's order of commands and the faults mended in it; the happy
// road on a real system is walked in tests/e2e/whole_road_test.cpp.
#include "vpn/main_controller.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/fake_button.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "fakes/stub_screen.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"

namespace twl {
namespace {

using Texts = std::vector<std::string>;

const std::string provisioning =
    commands::createService("/opt/tidewaterlink/share/macosvpn", "vpn.test", "demo");
const std::string connectCommand = commands::connectService();
const std::string disconnectCommand = commands::disconnectService();

// A signed-in client with the administrator pair stored and confirmed, its
// main screen on show. The test plays the tunnel.
class MainScreen : public ::testing::Test {
  protected:
    MainScreen() {
        for (const char* other : {"LoginController", "SettingController"}) {
            env.storyboard.registerController(other,
                                              [] { return std::make_shared<fakes::StubScreen>(); });
        }
        ctx.accountUserName = "demo";
        ctx.accountPassword = "demo-pass";
        env.settings.setObject("admin", keys::username);
        env.settings.setObject("admin-pass", keys::userpassword);
        ctx.isAdminConfirmed = true;
        screen = env.show("MainController");
    }

    void click(const char* control) { env.views(*screen).performAction(control); }
    void setTunnel(bool up) {
        env.proxySettings.settings = up ? fakes::FixedProxySettings::withInterfaces({"en0", "ppp0"})
                                        : fakes::FixedProxySettings::withInterfaces({"en0"});
    }
    // Connect with a tunnel that comes up with the connect command.
    void connect() {
        click("btnConnect");
        env.loop.advance(2.0);
        setTunnel(true);
        env.loop.advance(0.5);
        ASSERT_TRUE(ctx.isConnected);
    }
    const Texts& commandsRun() const { return env.system.commandsRun; }
    std::string status() const {
        return env.views(*screen).outlet<fakes::FakeTextField>("lblConnectStatus")->stringValue();
    }
    std::string title() const {
        return env.views(*screen).outlet<fakes::FakeButton>("btnConnect")->title();
    }
    std::string icon() const { return ctx.statusBarButton->imageName(); }
    Texts notifications() const {
        Texts shown;
        for (const auto& request : env.notifications.requests) {
            shown.push_back(request.title + "/" + request.body);
        }
        return shown;
    }

    fakes::FakeEnvironment env;
    AppContext& ctx = *env.context;
    std::shared_ptr<ViewController> screen;
};

TEST_F(MainScreen, AnAttemptEndedByTheServerAlertLeavesTheButtonWorking) {
    ctx.serverUrl = "";
    click("btnConnect");
    click("btnConnect");
    ASSERT_EQ(env.alerts.alerts.size(), 2u) << "the second click works again";
    EXPECT_EQ(env.alerts.alerts[1].messageText, "Tidewaterlink");
    EXPECT_EQ(env.alerts.alerts[1].informativeText, "No servers found");
    EXPECT_FALSE(ctx.isConnecting);
}

// The system takes a dropped tunnel down itself: no command, only the state.
TEST_F(MainScreen, ADroppedTunnelIsNoticedAndSigningOutWhileConnectedDisconnects) {
    env.settings.setBool(true, keys::autoLogin);
    connect();
    env.loop.advance(10.0);
    const Texts shown = notifications();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Duskway/Connected"), 1) << "once per attempt";
    const auto commands = commandsRun().size();
    setTunnel(false);
    env.loop.advance(0.5);
    EXPECT_EQ(status(), "Disconnected");
    EXPECT_EQ(notifications().back(), "Tidewater Link/Disconnected");
    EXPECT_EQ(commandsRun().size(), commands);
    EXPECT_FALSE(ctx.detectionTimer->isValid());

    connect();
    click("btnSignOut");
    EXPECT_EQ(commandsRun().back(), disconnectCommand);
    EXPECT_FALSE(ctx.isConnected);
    EXPECT_EQ(icon(), "menubar");
    EXPECT_EQ(env.settings.objectForKey(keys::autoLogin), SettingValue{false});
    EXPECT_EQ(env.window->contentViewController()->storyboardIdentifier(), "LoginController");
}

// Clicks and a stray end of the countdown during an attempt send nothing.
TEST_F(MainScreen, AnAttemptWithoutTunnelEndsSixtySecondsAfterTheConnectCommand) {
    click("btnConnect");
    EXPECT_EQ(commandsRun(), Texts{provisioning}) << "run with the stored administrator pair";
    env.loop.advance(1.99);
    EXPECT_EQ(commandsRun().size(), 1u);
    env.loop.advance(0.01);
    click("btnConnect");
    ctx.timerManager().update();
    env.loop.advance(59.5);
    EXPECT_EQ(commandsRun(), (Texts{provisioning, connectCommand}));
    EXPECT_EQ(status(), "Connecting...");

    env.loop.advance(0.5);
    EXPECT_EQ(commandsRun().back(), disconnectCommand);
    EXPECT_FALSE(ctx.detectionTimer->isValid());
    EXPECT_EQ(status(), "Disconnected");
    EXPECT_EQ(title(), "Connect");
    EXPECT_EQ(icon(), "menubar");
    EXPECT_EQ(notifications(),
              (Texts{"Tidewater Link/Connecting...", "Tidewater Link/Disconnected"}));

    click("btnConnect");
    EXPECT_EQ(commandsRun().back(), provisioning) << "the button works again";
    env.loop.advance(2.0 + 59.5);
    setTunnel(true);
    env.loop.advance(0.5);
    EXPECT_EQ(status(), "Connected") << "a tunnel at the last tick of the bound still counts";
    EXPECT_EQ(title(), "Disconnect");
    EXPECT_EQ(notifications().back(), "Duskway/Connected");
}

}  // namespace
}  // namespace twl
