// The whole road on a real system: the client's own wiring with its real
// adapters and widgets (driven with QTest on the offscreen platform), a real
// sudo and shell, the real macosvpn and networksetup tools, and the local
// provider over HTTPS; NetworkManager is played by a recording nmcli and a
// root daemon that makes the ppp0 tunnel. Everything happens in private
// network and mount namespaces; as the desktop user, a throwaway
// administrator. Skips itself where the machine does not allow it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "account/devprovider_process.h"
#include "child_command.h"
#include "in_process_client.h"
#include "platform/qt/interface_components.h"
#include "platform/qt_test_support.h"
#include "private_system.h"
#include "privileged/commands.h"
#include "road_setup.h"
#include "sandbox_network.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test_support::click;
using test_support::PrivateSystem;
using test_support::SandboxNetwork;
using test_support::SandboxUser;
using test_support::visible;

constexpr const char* builtInServer = "vpn1.e2e.test";
constexpr const char* chosenServer = "vpn2.e2e.test";
constexpr const char* publicIp = "203.0.113.7";
// Blanks: the sign-in sends and keeps the name with "%20" for each; the
// password must reach the keyfile intact through the shell and sudo.
constexpr const char* accountName = "john doe";
constexpr const char* accountNameAsKept = "john%20doe";
constexpr const char* accountPassword = "open sesame";

std::string readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the client writes to stdout while it runs, line by line.
class StdoutCapture {
  public:
    explicit StdoutCapture(fs::path file) : file_(std::move(file)) {
        std::cout.flush();
        saved_ = ::dup(STDOUT_FILENO);
        std::FILE* sink = std::fopen(file_.c_str(), "w");
        ::dup2(::fileno(sink), STDOUT_FILENO);
        std::fclose(sink);
    }
    ~StdoutCapture() { restore(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::vector<std::string> lines() {
        restore();
        std::ifstream in(file_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

  private:
    void restore() {
        if (saved_ >= 0) {
            std::cout.flush();
            ::dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }

    fs::path file_;
    int saved_ = -1;
};

// Generous: sudo, the tools and the detection ticks all take real time.
bool eventually(const std::function<bool()>& done) {
    return test_support::spinUntil(done, 60000);
}

std::string shown(const char* label) {
    return test_support::labelText(label).toStdString();
}

void type(const char* field, const std::string& text) {
    test_support::type(field, QString::fromStdString(text));
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

std::string keyfileValue(const std::string& keyfile, const std::string& key) {
    const auto at = keyfile.find("\n" + key + "=");
    if (at == std::string::npos) {
        return {};
    }
    const auto start = at + key.size() + 2;
    return keyfile.substr(start, keyfile.find('\n', start) - start);
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
        if (auto why = test_support::whyTheRoadCannotRun(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        // Network first: it may lay an overlay over /etc, which must lie
        // under the user database copies the private system mounts.
        if (auto why = network.setUp(TWL_FAKE_NMCLI); !why.empty()) {
            GTEST_SKIP() << why;
        }
        bundleRoot = test_support::copyBundle(TWL_SHARE_DIR, TWL_DEVPROVIDER);
        if (auto why = test_support::privateTmp(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        if (auto why = system.setUp(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        admin = system.asker();
        home = system.drop() / "home";
        if (auto why = network.startDaemon(
                {admin.password, accountPassword, std::string(commands::presharedKey)});
            !why.empty()) {
            GTEST_SKIP() << why;
        }
        if (auto why = test_support::becomeUser(admin, home); !why.empty()) {
            GTEST_SKIP() << why;
        }
        ready = true;
    }

    SandboxNetwork network;
    PrivateSystem system;
    SandboxUser admin;
    fs::path bundleRoot;
    fs::path home;
    bool ready = false;
};

TEST_F(WholeRoadForReal, SignInConnectDropReconnectChangeServerDisconnectSignOutQuit) {
    ASSERT_TRUE(ready);
    // Its accounts given here: the build tree may lie under /tmp, now covered.
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
    StdoutCapture stdoutLines(home / "stdout");
    std::vector<std::string> nmcliAfterConnect;
    std::string keyfileAfterConnect;
    std::string keyfileAfterReconnect;
    std::string savedNotice;
    {
        test_support::InProcessClient client(bundleRoot, provider, builtInServer);
        auto status = [] { return shown("lblConnectStatus"); };

        // Sign in, remembered for next time.
        ASSERT_TRUE(eventually([&] { return visible<QLineEdit>("edtUserName") != nullptr; }));
        type("edtUserName", accountName);
        type("edtUserPassword", accountPassword);
        click("chkRemember");
        click("btnLogin");
        ASSERT_TRUE(eventually([&] { return client.showing() == "MainController"; }));
        EXPECT_TRUE(eventually([&] { return shown("lblIPAddress") == publicIp; }));

        // Connect: the client asks for the administrator, who is who sudo says.
        click("btnConnect");
        ASSERT_TRUE(eventually([] { return visible<QLineEdit>("edtUserPassword") != nullptr; }));
        type("edtUserName", admin.name);
        type("edtUserPassword", admin.password + "x");
        click("btnOK");
        EXPECT_TRUE(eventually([] { return visible<QLabel>("txtIncorrectPassword") != nullptr; }));
        EXPECT_FALSE(fs::exists(marker));
        type("edtUserPassword", admin.password);
        click("btnOK");
        ASSERT_TRUE(eventually([] { return visible<QLineEdit>("edtUserPassword") == nullptr; }));
        EXPECT_EQ(readWhole(marker), readWhole(bundleRoot / "share/tidewaterlink/macosvpn.txt"));

        ASSERT_TRUE(eventually([&] { return status() == "Connected"; })) << status();
        EXPECT_EQ(client.context.statusBarButton->imageName(), "menubar_hover");
        EXPECT_TRUE(eventually([&] { return shown("lblIPAddress") == publicIp; }));
        nmcliAfterConnect = network.nmcliCalls();
        keyfileAfterConnect = network.lastLoadedKeyfile();

        // A fresh main screen shows the connection as it is.
        click("btnSetting");
        ASSERT_TRUE(eventually([&] { return client.showing() == "SettingController"; }));
        click("btnBack");
        ASSERT_TRUE(eventually([&] { return client.showing() == "MainController"; }));
        EXPECT_EQ(status(), "Connected");
        EXPECT_EQ(visible<QPushButton>("btnConnect")->text(), "Disconnect");

        // The line is lost: the client notices by itself.
        network.dropTunnel();
        ASSERT_TRUE(eventually([&] { return status() == "Disconnected"; })) << status();
        EXPECT_EQ(client.context.statusBarButton->imageName(), "menubar");

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
        EXPECT_EQ(client.context.statusBarButton->imageName(), "menubar_hover");
        keyfileAfterReconnect = network.lastLoadedKeyfile();
        EXPECT_EQ(network.keyfileFolderAtLastLoad(),
                  (std::vector<std::string>{"Tidewaterlink-1.nmconnection",
                                            "Tidewaterlink.nmconnection"}))
            << "the new connection comes before the old one goes";

        // Disconnect with the button: the address first, then the texts; the
        // tunnel goes when NetworkManager takes it down.
        click("btnConnect");
        EXPECT_EQ(status(), "Connected") << "until the address is in";
        ASSERT_TRUE(eventually([&] { return status() == "Disconnected"; }));
        EXPECT_EQ(client.context.statusBarButton->imageName(), "menubar");
        ASSERT_TRUE(eventually([] {
            return tools::runCommand({"ip", "link", "show", "ppp0"}).exitCode != 0;
        }));

        // Sign out while connecting: no connect command follows. The login
        // screen's tool step takes the marker away again.
        click("btnConnect");
        click("btnSignOut");
        ASSERT_TRUE(eventually([&] { return client.showing() == "LoginController"; }));
        EXPECT_TRUE(eventually([&] { return !fs::exists(marker); }));
        test_support::spinUntil([] { return false; }, 2500);  // past the connect delay

        client.shell.terminate();
    }
    const auto lines = stdoutLines.lines();
    const auto leaks = network.finish();

    EXPECT_EQ(savedNotice, "Server changed successfully");
    // Registered after the dialog; confirmed by the tool step after signing out.
    EXPECT_EQ(lines, (std::vector<std::string>{"-- register user timer --", "-- is correct -- ",
                                               "app is closed"}));

    // The keyfiles NetworkManager was given: the account, the server of the day.
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "gateway"), builtInServer);
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "user"), accountNameAsKept);
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "password"), accountPassword);
    EXPECT_EQ(keyfileValue(keyfileAfterConnect, "permissions"), "user:" + admin.name + ";")
        << "the profile is its user's alone";
    EXPECT_EQ(keyfileValue(keyfileAfterReconnect, "gateway"), chosenServer);

    // What nmcli was asked, and by whom: the connection is made as root, started
    // and stopped as the user; no password ever on its command line.
    const auto calls = network.nmcliCalls();
    const std::string root = "0 ";
    const std::string user = std::to_string(admin.id) + " ";
    EXPECT_EQ(callsMatching(nmcliAfterConnect, "-t -f UUID,NAME connection show"),
              std::vector<std::string>{root + "-t -f UUID,NAME connection show"});
    EXPECT_EQ(callsMatching(calls, "--wait 0 connection up id Tidewaterlink"),
              std::vector<std::string>(2, user + "--wait 0 connection up id Tidewaterlink"));
    EXPECT_EQ(callsMatching(calls, "--wait 0 connection down id Tidewaterlink"),
              std::vector<std::string>{user + "--wait 0 connection down id Tidewaterlink"});
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
    const json stored =
        json::parse(readWhole(home / ".config/tidewaterlink/defaults.json"), nullptr, false);
    EXPECT_EQ(stored.value("vpnUserName", json()), accountNameAsKept);
    EXPECT_EQ(stored.value("username", json()), admin.name);
    EXPECT_EQ(stored.value("server_url", json()), chosenServer);
    EXPECT_EQ(stored.value("AutoLogin", json()), false);
    EXPECT_EQ(
        fs::status(home / ".config/tidewaterlink/defaults.json").permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write);

    // The provider saw one account check, then only public-IP look-ups.
    const auto requests = provider.recordedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front()["target"],
              "/publicapi?method=get_user&username=john%20doe&password=open%20sesame");
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
