// The whole road through the real screens on real widgets (offscreen): sign
// in, connect through the administrator dialog, connected, settings and back,
// sign out. The system behind the screens is played by the fakes.
#include "../signin/qt_client.h"
#include "app/settings_keys.h"
#include "fakes/scripted_http_transport.h"
#include "privileged/commands.h"

namespace twl {
namespace {

using namespace test_support;

TEST(WholeRoad, SignInConnectThroughTheDialogVisitSettingsAndSignOut) {
    QtClient<fakes::ScriptedHttpTransport> client({});
    auto& http = client.http;
    auto& fake = client.fake;
    const AppContext& context = client.context;
    const auto showing = [&] { return client.showing(); };

    // Sign in.
    http.scriptJson(
        fakes::ScriptedHttpTransport::success({{"response", "success"}, {"status", "Paid"}}));
    http.scriptText(TextReply{"198.51.100.1", {}});
    type("edtUserName", "demo");
    type("edtUserPassword", "demo-pass");
    click("btnLogin");
    ASSERT_TRUE(spinUntil([&] { return showing() == "MainController"; }));
    EXPECT_EQ(labelText("lblIPAddress"), "198.51.100.1");

    // Connect: no administrator yet, so the dialog asks; a wrong pair first.
    click("btnConnect");
    ASSERT_TRUE(spinUntil([] { return visible<QLineEdit>("edtUserPassword") != nullptr; }));
    type("edtUserName", "admin");
    type("edtUserPassword", "wrong");
    click("btnOK");
    EXPECT_TRUE(spinUntil([] { return visible<QLabel>("txtIncorrectPassword") != nullptr; }));
    type("edtUserPassword", "admin-pass");
    click("btnOK");
    ASSERT_TRUE(spinUntil([] { return visible<QLineEdit>("edtUserPassword") == nullptr; }));
    EXPECT_EQ(storedString(fake.settings, keys::username), "admin");

    // The register tick goes on: provisioning, then the connect command; the
    // system brings the tunnel up when it is asked to.
    http.scriptText(TextReply{"203.0.113.9", {}});
    ASSERT_TRUE(spinUntil([&] {
        const auto& run = fake.system.commandsRun;
        if (std::find(run.begin(), run.end(), commands::connectService()) != run.end()) {
            fake.proxySettings.settings =
                fakes::FixedProxySettings::withInterfaces({"en0", "ppp0"});
        }
        return labelText("lblConnectStatus") == "Connected";
    }));
    EXPECT_EQ(labelText("lblIPAddress"), "203.0.113.9");
    EXPECT_EQ(context.statusBarButton->imageName(), "menubar_hover");
    EXPECT_TRUE(context.isConnected);
    EXPECT_FALSE(context.isConnecting);

    // Settings and back: a fresh main screen, still connected underneath.
    click("btnSetting");
    ASSERT_TRUE(spinUntil([&] { return showing() == "SettingController"; }));
    EXPECT_EQ(visible<QLineEdit>("edtServerUrl")->text(), "vpn.test");
    click("btnBack");
    ASSERT_TRUE(spinUntil([&] { return showing() == "MainController"; }));

    // Sign out while connected: disconnected, no automatic sign-in next time.
    click("btnSignOut");
    ASSERT_TRUE(spinUntil([&] { return showing() == "LoginController"; }));
    EXPECT_FALSE(context.isConnected);
    // The disconnect, then the new login screen's tool step with the stored
    // pair, which removes the marker the dialog had installed.
    const auto& run = fake.system.commandsRun;
    ASSERT_GE(run.size(), 2u);
    EXPECT_EQ(run[run.size() - 2], commands::disconnectService());
    EXPECT_EQ(run.back(), commands::removeMarker());
    EXPECT_EQ(fake.settings.objectForKey(keys::autoLogin), SettingValue{false});
    EXPECT_EQ(context.statusBarButton->imageName(), "menubar");
}

}  // namespace
}  // namespace twl
