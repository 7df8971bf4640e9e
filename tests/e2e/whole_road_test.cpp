// The whole road on a real system: the client's own wiring with its real
// adapters and widgets (driven with QTest on the offscreen platform), a real
// sudo and shell, the real macosvpn and networksetup tools, and the local
// provider over HTTPS; NetworkManager is played by a recording nmcli and a
// root daemon that makes the ppp0 tunnel. Everything happens in private
// network and mount namespaces; as the desktop user, a throwaway
// administrator. Skips itself where the machine does not allow it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>

#include "account/devprovider_process.h"
#include "child_command.h"
#include "platform/qt/interface_components.h"
#include "platform/qt_test_support.h"
#include "screens/desktop_client.h"
#include "stand_in_road.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test_support::click;
using test_support::labelText;
using test_support::SandboxUser;
using test_support::StandInRoad;
using test_support::type;
using test_support::visible;

constexpr const char* builtInServer = "vpn1.e2e.test";
constexpr const char* chosenServer = "vpn2.e2e.test";
constexpr const char* publicIp = "203.0.113.7";
// Blanks: the sign-in sends and keeps the name with "%20" for each; the
// password must reach the keyfile intact through the shell and sudo.
constexpr const char* accountName = "john doe";
constexpr const char* accountNameAsKept = "john%20doe";
constexpr const char* accountPassword = "open sesame";

// Generous: sudo, the tools and the detection ticks all take real time.
bool eventually(const std::function<bool()>& done) {
    return test_support::spinUntil(done, 60000);
}

// Alerts run modally: the next one is read and answered from inside its loop.
void answerNextAlert(std::string& text) {
    QTimer::singleShot(50, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->informativeText().toStdString();
            box->buttons().front()->click();
        } else {
            answerNextAlert(text);
        }
    });
}

std::string keyfileValue(const std::vector<std::string>& keyfile, const std::string& key) {
    const auto line = std::find_if(keyfile.begin(), keyfile.end(),
                                   [&](const auto& each) { return each.starts_with(key + "="); });
    return line == keyfile.end() ? "" : line->substr(key.size() + 1);
}

std::vector<std::string> callsMatching(const std::vector<std::string>& calls,
                                       const std::string& arguments) {
    std::vector<std::string> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                 [&](const auto& call) { return call.substr(call.find(' ') + 1) == arguments; });
    return found;
}

class WholeRoadForReal : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = road.setUp({.secrets = {accountPassword}}); !why.empty()) {
            GTEST_SKIP() << why;
        }
        ASSERT_EQ(road.becomeAdministrator(), "");
    }

    // A failed assertion ends the walk early: what it printed is shown.
    void TearDown() override {
        if (capturing) {
            std::cerr << testing::internal::GetCapturedStdout();
        }
    }

    StandInRoad road;
    bool capturing = false;
    const SandboxUser& admin = road.administrator();
    const fs::path& bundleRoot = road.bundleRoot();
    const fs::path home = road.home();
};

TEST_F(WholeRoadForReal, SignInConnectDropReconnectChangeServerDisconnectSignOutQuit) {
    fakes::DevproviderProcess provider(fakes::DevproviderSetup{
        .accounts = json::array({{{"user", accountName},
                                  {"password", accountPassword},
                                  {"status", "Paid"},
                                  {"message", ""}}}),
        .arguments = {"--public-ip", publicIp},
        .program = (bundleRoot / "bin" / "tidewaterlink-devprovider").string()});
    int argc = 1;
    char name[] = "tidewaterlink";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    installInterfaceComponents(application);
    const fs::path marker = "/usr/local/macosvpn.txt";
    testing::internal::CaptureStdout();  // the client's fixed lines
    capturing = true;
    std::vector<std::string> nmcliAfterConnect;
    std::vector<std::string> keyfileAfterConnect;
    std::vector<std::string> keyfileAfterReconnect;
    std::string savedNotice;
    {
        DesktopClient client(
            ExecutableBundle(bundleRoot / "bin" / "tidewaterlink"),
            Endpoints{provider.baseUrl(), provider.baseUrl(), builtInServer, provider.caFile()},
            [] { return false; });
        auto status = [] { return labelText("lblConnectStatus"); };

        // Sign in, remembered for next time.
        ASSERT_TRUE(eventually([&] { return visible<QLineEdit>("edtUserName") != nullptr; }));
        type("edtUserName", accountName);
        type("edtUserPassword", accountPassword);
        click("chkRemember");
        click("btnLogin");
        ASSERT_TRUE(eventually([&] { return client.showing() == "MainController"; }));
        EXPECT_TRUE(eventually([&] { return labelText("lblIPAddress") == publicIp; }));

        // Connect: the client asks for the administrator, who is who sudo says.
        click("btnConnect");
        ASSERT_TRUE(eventually([] { return visible<QLineEdit>("edtUserPassword") != nullptr; }));
        type("edtUserName", admin.name);
        type("edtUserPassword", admin.password);
        click("btnOK");
        ASSERT_TRUE(eventually([] { return visible<QLineEdit>("edtUserPassword") == nullptr; }));
        EXPECT_EQ(test_support::readFile(marker),
                  test_support::readFile(bundleRoot / "share/tidewaterlink/macosvpn.txt"));

        ASSERT_TRUE(eventually([&] { return status() == "Connected"; })) << status();
        nmcliAfterConnect = StandInRoad::record("calls");
        keyfileAfterConnect = StandInRoad::record("loaded");

        // The line is lost: the client notices by itself and brings it back.
        StandInRoad::dropLine();
        ASSERT_TRUE(eventually([&] { return status() == "Connecting..."; })) << status();
        EXPECT_EQ(client.context().statusBarButton->imageName(), "menubar");
        ASSERT_TRUE(eventually([&] { return status() == "Connected"; })) << status();

        // Disconnect with the button: the address first, then the texts; the
        // tunnel goes when NetworkManager takes it down.
        click("btnConnect");
        ASSERT_TRUE(eventually([&] { return status() == "Disconnected"; }));
        ASSERT_TRUE(eventually([] {
            return tools::runCommand({"ip", "link", "show", "ppp0"}).exitCode != 0;
        }));

        // Another server, then back to a fresh main screen and connect again:
        // the administrator is known now, so no dialog.
        click("btnSetting");
        ASSERT_TRUE(eventually([&] { return client.showing() == "SettingController"; }));
        type("edtServerUrl", chosenServer);
        answerNextAlert(savedNotice);
        click("btnSave");
        click("btnBack");
        ASSERT_TRUE(eventually([&] { return client.showing() == "MainController"; }));
        click("btnConnect");
        ASSERT_TRUE(eventually([&] { return status() == "Connected"; })) << status();
        keyfileAfterReconnect = StandInRoad::record("loaded");
        EXPECT_EQ(StandInRoad::record("folder"),
                  (std::vector<std::string>{"Tidewaterlink-1.nmconnection",
                                            "Tidewaterlink.nmconnection"}))
            << "the new connection comes before the old one goes";

        click("btnConnect");
        ASSERT_TRUE(eventually([&] { return status() == "Disconnected"; }));

        // Sign out while connecting: no connect command follows. The login
        // screen's tool step takes the marker away again.
        click("btnConnect");
        click("btnSignOut");
        ASSERT_TRUE(eventually([&] { return client.showing() == "LoginController"; }));
        EXPECT_TRUE(eventually([&] { return !fs::exists(marker); }));
        test_support::spinUntil([] { return false; }, 2500);  // past the connect delay

        client.shell().terminate();
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    capturing = false;
    const auto leaks = road.finish();

    EXPECT_EQ(savedNotice, "Server changed successfully");
    // Registered after the dialog; confirmed by the tool step after signing out.
    EXPECT_EQ(printed, "-- register user timer --\n-- is correct -- \napp is closed\n");

    // The keyfiles NetworkManager was given: the account, the server of the day.
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "gateway"), builtInServer);
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "user"), accountNameAsKept);
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "password"), accountPassword);
    EXPECT_EQ(keyfileValue(keyfileAfterReconnect, "gateway"), chosenServer);

    // What nmcli was asked, and by whom: the connection is made as root, started
    // and stopped as the user; no password ever on its command line.
    const auto calls = StandInRoad::record("calls");
    const std::string root = "0 ";
    const std::string user = std::to_string(admin.id) + " ";
    EXPECT_EQ(callsMatching(nmcliAfterConnect, "-t -f UUID,NAME connection show"),
              std::vector<std::string>{root + "-t -f UUID,NAME connection show"});
    EXPECT_EQ(callsMatching(calls, "--wait 0 connection up id Tidewaterlink"),
              std::vector<std::string>(3, user + "--wait 0 connection up id Tidewaterlink"))
        << "the second brings the lost line back, without a click";
    EXPECT_EQ(callsMatching(calls, "--wait 0 connection down id Tidewaterlink"),
              std::vector<std::string>(2, user + "--wait 0 connection down id Tidewaterlink"));
    const auto asked = [&](const std::string& what) {
        return std::count_if(calls.begin(), calls.end(),
                             [&](const auto& call) { return call.starts_with(root + what); });
    };
    EXPECT_EQ(asked("connection load "), 3);
    EXPECT_EQ(asked("connection delete uuid "), 2) << "each connection, once replaced";
    for (const auto& call : calls) {
        EXPECT_EQ(call.find(accountPassword), std::string::npos) << call;
        EXPECT_EQ(call.find(admin.password), std::string::npos) << call;
    }
    EXPECT_EQ(leaks, std::vector<std::string>{}) << "where a password or the shared key was seen";

    // The settings file: the account remembered, the administrator, the server.
    const json stored = json::parse(
        test_support::readFile(home / ".config/tidewaterlink/defaults.json"), nullptr, false);
    EXPECT_EQ(stored.value("vpnUserName", json()), accountNameAsKept);
    EXPECT_EQ(stored.value("username", json()), admin.name);
    EXPECT_EQ(stored.value("server_url", json()), chosenServer);
    EXPECT_EQ(stored.value("AutoLogin", json()), false);

    // The provider saw one account check, then only public-IP look-ups.
    const auto requests = provider.recordedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front()["target"],
              "/publicapi?method=get_user&username=john%20doe&password=open%20sesame");
    EXPECT_EQ(requests.front()["contentType"], json::array({"application/json"})) << "one, once";
    for (const auto& request : requests) {
        EXPECT_EQ(request["method"], "GET");
    }
    EXPECT_EQ(std::count_if(requests.begin() + 1, requests.end(),
                            [](const json& request) {
                                return request["target"] == "/tools/getpublicip.php";
                            }),
              static_cast<long>(requests.size()) - 1);
}

}  // namespace
}  // namespace twl
