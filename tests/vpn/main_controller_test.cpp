// The connection's ways in and out, through the screens, on the virtual clock;
// real attempts at a real NetworkManager are in network_manager_attempt_test.cpp.
#include "screens/main_controller.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/settings_keys.h"
#include "fakes/screen_environment.h"
#include "fakes/stub_screen.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "vpn/connection_session.h"
#include "vpn/network_manager_verdict.h"

namespace twl {
namespace {

using Texts = std::vector<std::string>;
using State = ConnectionState;
using enum ConnectionState;

const std::string provisioningCommand =
    commands::createService("/opt/tidewaterlink/share/macosvpn", "vpn.chosen.test", "demo");
const std::string connectCommand = commands::connectService();
const std::string disconnectCommand = commands::disconnectService();
// What the main screen shows: its label and its button's title.
const std::string on = "Connected/Disconnect", busy = "Connecting.../Connecting...",
                  off = "Disconnected/Connect";

// A signed-in client with the administrator pair stored and confirmed, its
// main screen on show. The test plays the tunnel.
struct Client {
    Client() {
        env.storyboard.registerController("LoginController", fakes::stubScreens());
        ctx.accountUserName = "demo";
        ctx.accountPassword = "demo-pass";
        ctx.serverUrl = "vpn.chosen.test";  // saved on the settings screen, not the built-in one
        env.settings.setObject("admin", keys::username);
        env.settings.setObject("admin-pass", keys::userpassword);
        ctx.isAdminConfirmed = true;
        env.show("MainController");
    }

    void click(const char* control) { env.click(control); }
    // The tunnel is up (or not) for the next `seconds`.
    void play(bool up, double seconds) {
        env.proxySettings.settings = up ? fakes::FixedProxySettings::withInterfaces({"en0", "ppp0"})
                                        : fakes::FixedProxySettings::withInterfaces({"en0"});
        env.loop.advance(seconds);
    }
    void reach(State state) {
        if (state == State::disconnecting) {
            reach(State::connected);
            click("btnConnect");  // its look-up waits
            return;
        }
        if (state == State::disconnected) {
            return;
        }
        if (state == State::waitingToReconnect) {
            reach(State::connected);
            play(false, 0.5);  // the tunnel drops
            return;
        }
        ctx.isAdminConfirmed = state != State::waitingForAdministrator;
        click("btnConnect");
        // Another screen's countdown starts meanwhile: it must not take a step away.
        ctx.timerManager().startCountdown(0, [](const std::optional<std::string>&, bool) {});
        play(false, state == State::provisioning ? 1.0 : 2.0);
        play(state == State::connected, state == State::connected ? 0.5 : 0.0);
    }
    // Every look-up still waiting gets the address, oldest first.
    void answerPublicIp(const std::string& address) {
        while (env.http.answerOldestText(TextReply{address, {}})) {
        }
        env.loop.runPending();
    }
    // The main screen's label and button title, or which other screen it gave way to.
    std::string shows() {
        const auto shown = env.shell.mainWindow().contentViewController();
        return shown->storyboardIdentifier() != "MainController"
                   ? shown->storyboardIdentifier()
                   : env.text("lblConnectStatus") + "/" + env.text("btnConnect");
    }

    fakes::ScreenEnvironment env;
    AppContext& ctx = *env.context;
};

class MainScreen : public ::testing::Test, public Client {};

// Each way into or out of each state: the commands it and the next 70 s send
// while the tunnel is there to be seen, the state it leaves, and what shows it.
TEST(ConnectionSession, EveryWayInAndOutOfEachStateEndsWhereItShould) {
    // Which way it is, where the outcome depends on it.
    enum class By { user, signOut, quit };
    struct Way {
        By by;
        std::function<void(Client&)> act;
    };
    const Way cancel{By::user, [](Client& s) { s.click("btnCancel"); }};
    const Way signOut{By::signOut, [](Client& s) { s.click("btnSignOut"); }};
    const Way force{By::user, [](Client& s) { s.click("btnDisconnect"); }};
    const Way button{By::user, [](Client& s) { s.click("btnConnect"); }};
    const Way quit{By::quit, [](Client& s) { s.env.chooseFromTray("Close Application"); }};
    const Way seen{By::user, [](Client& s) { s.play(true, 0.5); }};
    const Way drop{By::user, [](Client& s) { s.play(false, 0.5); }};
    const Way timeUp{By::user, [](Client& s) { s.play(false, 60.0); }};
    const Texts none;
    const Texts down{disconnectCommand};
    const std::vector<std::tuple<const char*, State, Way, Texts, State>> rows{
        {"quit while disconnected", disconnected, quit, none, disconnected},
        {"Cancel while waiting", waitingForAdministrator, cancel, none, disconnected},
        {"quit while waiting", waitingForAdministrator, quit, none, disconnected},
        {"sign-out while provisioning", provisioning, signOut, none, disconnected},
        {"force while provisioning", provisioning, force, down, disconnected},
        {"quit while provisioning", provisioning, quit, none, disconnected},
        {"sign-out while connecting", connecting, signOut, down, disconnected},
        {"force while connecting", connecting, force, down, disconnected},
        {"quit while connecting", connecting, quit, down, disconnected},
        {"no tunnel for 60 s", connecting, timeUp, down, disconnected},
        {"tunnel seen", connecting, seen, none, connected},
        {"button while connected", connected, button, down, disconnected},
        {"sign-out while connected", connected, signOut, down, disconnected},
        {"force while connected", connected, force, down, disconnected},
        {"quit while connected", connected, quit, down, disconnected},
        {"tunnel dropped: back by itself", connected, drop, {connectCommand}, connected},
        {"button while reconnecting", waitingToReconnect, button, {connectCommand}, connected},
        {"sign-out while reconnecting", waitingToReconnect, signOut, none, disconnected},
        {"force while reconnecting", waitingToReconnect, force, down, disconnected},
        {"quit while reconnecting", waitingToReconnect, quit, none, disconnected},
        {"sign-out while disconnecting", disconnecting, signOut, down, disconnected},
        {"force while disconnecting", disconnecting, force, down, disconnected},
        {"quit while disconnecting", disconnecting, quit, down, disconnected},
    };
    for (const auto& [name, from, way, sent, to] : rows) {
        SCOPED_TRACE(name);
        Client s;
        s.reach(from);
        ASSERT_EQ(s.ctx.connection().state(), from);
        const Texts& all = s.env.system.commandsRun;
        const auto before = static_cast<long>(all.size());
        way.act(s);
        s.answerPublicIp("198.51.100.1");  // an answer the way has overtaken changes nothing
        s.play(true, 70.0);
        EXPECT_EQ(Texts(all.begin() + before, all.end()), sent);
        EXPECT_EQ(s.ctx.connection().state(), to);
        EXPECT_FALSE(s.ctx.connection().isConnecting()) << "Connect works again";
        const bool up = to == State::connected;
        EXPECT_EQ(s.ctx.statusBarButton->imageName(), up ? "menubar_hover" : "menubar");
        const bool signedOut = way.by == By::signOut;
        EXPECT_EQ(s.shows(), signedOut ? "LoginController" : up ? on : off);
    }
}

// While NetworkManager is on the bus, its word on our active connection
// decides, at once: what it says before the connect command, or of another
// profile, is not ours, and a "ppp0" is not our tunnel. Each row has the
// reports of `before` made a second into the connect delay and those of
// `after` once the connect command is out, then `up` is the one interface
// besides en0 for a minute.
TEST(ConnectionSession, NetworkManagersWordOnOurConnectionDecides) {
    const std::string ours = "/org/freedesktop/NetworkManager/Settings/7", mine = "/ac/9";
    const ActiveConnectionReport activating{mine, ours, 1, 1, 0, ""};
    const ActiveConnectionReport activated{mine, ours, 2, 5, 1, "ppp1"};
    const ActiveConnectionReport failed{mine, ours, 4, 7, 8, ""};
    const ActiveConnectionReport others{mine, "/other", 4, 7, 8, ""};
    const std::string noTunnel = noTunnelSentence, why = reasonSentence(8);
    const Texts down{disconnectCommand};
    using Reports = std::vector<ActiveConnectionReport>;
    const std::tuple<const char*, Reports, Reports, const char*, std::string, std::string,
                     std::string, Texts>
        rows[] = {
            // name, before, after, up, shows at once, at the end, the reason, sent after connect
            {"activated, in its own tunnel", {}, {activating, activated}, "ppp1", on, on, "", {}},
            {"a ppp0 is not ours", {}, {activating}, "ppp0", busy, off, noTunnel, down},
            {"failed: nothing is sent", {}, {activating, failed}, "ppp0", off, off, why, {}},
            {"another profile's", {}, {others}, "", busy, off, noTunnel, down},
            {"one from before the connect", {activating}, {failed}, "", busy, off, noTunnel, down},
        };
    for (const auto& [name, before, after, up, atOnce, atEnd, reason, sent] : rows) {
        SCOPED_TRACE(name);
        Client s;
        s.env.networkManager.onBusNow = true;
        s.click("btnConnect");
        s.env.loop.advance(1.0);
        for (const auto& report : before) {
            s.env.networkManager.report(report);
        }
        s.env.loop.advance(1.0);
        const Texts& all = s.env.system.commandsRun;
        const auto already = static_cast<long>(all.size());
        for (const auto& report : after) {
            s.env.networkManager.report(report);
        }
        EXPECT_EQ(s.shows(), atOnce);
        s.env.proxySettings.settings = fakes::FixedProxySettings::withInterfaces({"en0", up});
        s.env.loop.advance(60.0);
        EXPECT_EQ(Texts(all.begin() + already, all.end()), sent);
        EXPECT_EQ(s.shows(), atEnd);
        EXPECT_EQ(s.env.text("lblConnectReason"), reason);
        EXPECT_EQ(s.env.shows("lblConnectReason"), !reason.empty());
        if (!reason.empty()) {
            EXPECT_EQ(s.env.notifications.requests.back().body, reason) << "said there too";
        }
    }
}

// A tunnel that drops by itself comes back. Each row is a script of what
// happens once connected through NetworkManager's tunnel ppp1: "drop:N" (it
// ends for reason N, and ppp1 goes), "gone" (ppp1 goes without a word),
// "wait:S", "up" and "fail:N" (the try's connection), "net:S" (its state),
// "sleep", "wake", "force", "signout", and "sent:X" (the commands since the
// connection came up: c connect, d disconnect).
TEST(ConnectionSession, ADroppedTunnelComesBackByItselfWhileItMakesSense) {
    const std::tuple<const char*, const char*, std::string, std::string, bool> rows[] = {
        // name, script, shows at the end, reason shown (and notified last), tried again
        {"three tries at 2, 10 and 30 s, all failing",
         "drop:3 wait:1.9 sent: wait:0.1 sent:c fail:8 wait:9.9 sent:c wait:0.1 sent:cc fail:8 "
         "wait:29.9 sent:cc wait:0.1 sent:ccc fail:6 wait:100 sent:ccc",
         off, reasonSentence(6), true},
        {"a try that comes up", "drop:3 wait:2 up", on, "", true},
        {"user-disconnected", "drop:2 wait:60 sent:", off, reasonSentence(2), false},
        {"no-secrets", "drop:9 wait:60 sent:", off, reasonSentence(9), false},
        {"login-failed", "drop:10 wait:60 sent:", off, reasonSentence(10), false},
        {"connection-removed", "drop:11 wait:60 sent:", off, reasonSentence(11), false},
        {"no network holds the tries", "net:20 drop:3 wait:100 sent: net:70 wait:0 sent:c", busy,
         reasonSentence(3), true},
        {"sleep holds the tries", "sleep drop:1 wait:100 sent: wake wait:0 sent:c up", on, "",
         true},
        {"a wake with the tunnel gone",
         "sleep gone wake wait:1.9 sent: wait:0.1 sent:d wait:1.9 sent:d wait:0.1 sent:dc", busy,
         "", true},
        {"the tick's drop waits for the reason", "gone wait:1.5 drop:10 wait:60 sent:", off,
         reasonSentence(10), false},
        {"force during a try", "drop:3 wait:2 force wait:100 sent:cd", off, reasonSentence(3),
         true},
        {"sign-out while waiting", "drop:3 signout wait:100 sent:", "LoginController", "", true},
    };
    for (const auto& [name, script, shows, reason, tried] : rows) {
        SCOPED_TRACE(name);
        Client s;
        fakes::ScriptedNetworkManager& nm = s.env.networkManager;
        nm.onBusNow = true;
        const auto tunnel = [&s](bool up) {
            s.env.proxySettings.settings =
                fakes::FixedProxySettings::withInterfaces({"en0", up ? "ppp1" : "lo"});
        };
        const Texts& all = s.env.system.commandsRun;
        const auto ours = [&](int state, int vpnState, int why) {  // each try's is new
            nm.report({"/ac/" + std::to_string(all.size()), nm.profile, state, vpnState, why,
                       vpnState == 5 ? "ppp1" : ""});
        };
        tunnel(true);
        s.click("btnConnect");
        s.env.loop.advance(2.0);
        ours(2, 5, 1);
        ASSERT_EQ(s.shows(), on);
        const std::size_t connectedAt = all.size();
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            const std::string word = step.substr(0, step.find(':'));
            const std::string value = step.substr(std::min(step.size(), word.size() + 1));
            if (word == "drop" || word == "fail") {
                tunnel(false);
                ours(4, 6, std::stoi(value));
            } else if (word == "gone" || word == "up") {
                tunnel(word == "up");
                if (word == "up") {
                    ours(2, 5, 1);
                }
            } else if (word == "wait") {
                s.env.loop.advance(std::stod(value));
            } else if (word == "net") {
                nm.setNetworkState(std::stoi(value));
            } else if (word == "sleep" || word == "wake") {
                s.env.sleep.prepareForSleep(word == "sleep");
            } else if (word == "force" || word == "signout") {
                s.click(word == "force" ? "btnDisconnect" : "btnSignOut");
            } else {
                std::string sent;
                for (std::size_t each = connectedAt; each < all.size(); ++each) {
                    sent += all[each] == connectCommand ? "c" : "d";
                }
                ASSERT_EQ(sent, value) << step;
            }
        }
        EXPECT_EQ(s.shows(), shows);
        EXPECT_EQ(s.ctx.connection().reason(), reason);
        // One says it reconnects; the last says how it ended.
        const auto& posted = s.env.notifications.requests;
        EXPECT_EQ(std::count_if(posted.begin(), posted.end(),
                                [](const auto& each) { return each.body.starts_with("Reconn"); }),
                  tried ? 1 : 0);
        const bool userEnded = std::string(script).find("force") != std::string::npos;
        if (shows == on || (shows == off && !reason.empty() && !userEnded)) {
            EXPECT_EQ(posted.back().body, shows == on ? "Connected" : reason);
        }
    }
}

// The reason stays for a main screen made later, and goes with the next
// attempt or the sign-out.
TEST_F(MainScreen, TheReasonShowsUntilTheNextAttemptOrTheSignOut) {
    env.networkManager.onBusNow = true;
    click("btnConnect");
    play(false, 2.0);
    env.networkManager.report({"/a/1", env.networkManager.profile, 4, 7, 10, ""});
    click("btnSetting");
    click("btnBack");
    EXPECT_EQ(env.text("lblConnectReason"), reasonSentence(10));
    click("btnConnect");
    EXPECT_FALSE(env.shows("lblConnectReason"));
    play(false, 62.0);
    EXPECT_EQ(ctx.connection().reason(), noTunnelSentence);
    click("btnSignOut");
    EXPECT_EQ(ctx.connection().reason(), "");
}

// Ten trips to the settings screen and back, the first while connecting.
TEST_F(MainScreen, AFreshMainScreenShowsTheConnectionAndAReplacedOneIsFreed) {
    std::vector<std::weak_ptr<ViewController>> made{env.onTop()};
    click("btnConnect");
    for (int trip = 0; trip < 10; ++trip) {
        click("btnSetting");
        click("btnBack");
        made.push_back(env.onTop());
        EXPECT_EQ(shows(), trip == 0 ? busy : on);
        play(true, 2.5);
    }
    env.finishTurn();
    EXPECT_EQ(std::count_if(made.begin(), made.end(), [](auto& each) { return !each.expired(); }),
              1);
}

TEST_F(MainScreen, AnAttemptEndedByTheServerAlertLeavesTheButtonWorking) {
    ctx.serverUrl = "";
    click("btnConnect");
    click("btnConnect");
    ASSERT_EQ(env.alerts.alerts.size(), 2u) << "the second click works again";
    EXPECT_EQ(env.alerts.alerts[1].messageText, "Tidewaterlink");
    EXPECT_EQ(env.alerts.alerts[1].informativeText, "No servers found");
}

// Clicks during an attempt do nothing; a tunnel at the last tick of its bound counts.
TEST_F(MainScreen, TheConnectCommandFollowsProvisioningByTwoSecondsAndWaitsAMinute) {
    click("btnConnect");
    play(false, 1.99);
    EXPECT_EQ(env.system.sources,
              Texts{privilegedScript(provisioningCommand, "admin", "admin-pass")})
        << "with the stored administrator pair";
    play(false, 0.01);
    click("btnConnect");
    play(false, 59.5);
    EXPECT_EQ(env.system.commandsRun, (Texts{provisioningCommand, connectCommand}));
    EXPECT_EQ(env.system.sources.back(), plainScript(connectCommand)) << "as the user";
    play(true, 0.5);
    EXPECT_EQ(shows(), on);
    play(true, 10.0);
    ASSERT_EQ(env.notifications.requests.size(), 2U) << "Connecting..., then Connected once";
    EXPECT_EQ(env.notifications.requests[1].title, "Duskway");
}

// The address shown after the button's disconnect is the tunnel's, looked up
// before anything else happens; Connect waits meanwhile. The screen's own,
// older look-ups that it overtakes change nothing.
TEST_F(MainScreen, TheButtonsDisconnectShowsTheAddressThenTheTextsThenSendsTheCommand) {
    reach(State::connected);
    const auto notifications = env.notifications.requests.size();
    click("btnConnect");
    click("btnConnect");
    play(true, 3.0);
    EXPECT_EQ(shows(), on);
    EXPECT_EQ(env.system.commandsRun.back(), connectCommand);
    EXPECT_EQ(env.notifications.requests.size(), notifications);
    env.http.answerOldestText(TextReply{"203.0.113.9", {}});
    env.loop.runPending();
    EXPECT_NE(env.text("lblIPAddress"), "203.0.113.9") << "a slow answer never shows";
    env.http.answerNewestText(TextReply{"198.51.100.1", {}});
    answerPublicIp("203.0.113.9");
    EXPECT_EQ(env.text("lblIPAddress"), "198.51.100.1");
    EXPECT_EQ(shows(), off);
    EXPECT_EQ(env.notifications.requests.back().body, "Disconnected");
    EXPECT_EQ(env.system.sources.back(), plainScript(disconnectCommand));
}

// Quitting stops the command under way and still takes the service down,
// within the bound.
TEST_F(MainScreen, QuittingStopsTheCommandUnderWayAndBoundsTheDisconnect) {
    env.system.commandSeconds = 30.0;
    click("btnConnect");
    env.chooseFromTray("Close Application");
    EXPECT_EQ(env.system.stopped, 1);
    EXPECT_EQ(env.system.commandsRun, Texts{disconnectCommand});
    EXPECT_EQ(env.system.options.back().timeLimit, std::chrono::seconds(5));
}

}  // namespace
}  // namespace twl
