// The client's passwords in a real gnome-keyring on a private session bus,
// each client a process of its own (tests/app/keyring_client.cpp) in the
// test's folders, signing in against the local provider.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <nlohmann/json.hpp>

#include "account/devprovider_process.h"
#include "platform/private_session_bus.h"

namespace twl {
namespace {

using nlohmann::json;

bool eventually(const std::function<bool()>& done) {
    const QDeadlineTimer limit(30000);
    while (!done() && !limit.hasExpired()) {
        QThread::msleep(20);
    }
    return done();
}

class Keyring : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"gnome-keyring-daemon", "secret-tool", "dbus-send"}) {
            if (QStandardPaths::findExecutable(program).isEmpty()) {
                GTEST_SKIP() << program << " is not installed (scripts/install-deps)";
            }
        }
        if (bus.address().isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is missing or did not start: no private bus to test on";
        }
        for (const auto& [name, folder] : {std::pair{"HOME", ""},
                                           {"XDG_CONFIG_HOME", "/config"},
                                           {"XDG_DATA_HOME", "/data"},
                                           {"XDG_RUNTIME_DIR", "/run"}}) {
            session.insert(name, home.path() + folder);
        }
        ASSERT_TRUE(
            QDir(home.path()).mkdir("run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        session.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        session.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void TearDown() override {
        keyring.terminate();
        keyring.waitForFinished(5000);
    }

    // Unlocked with a throwaway password, as a login does.
    void startKeyring() {
        keyring.setProcessEnvironment(session);
        keyring.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
        ASSERT_TRUE(keyring.waitForStarted(10000));
        keyring.write("throwaway");
        keyring.waitForBytesWritten(10000);
        keyring.closeWriteChannel();
        ASSERT_TRUE(eventually([&] {
            return ask("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                     "string:org.freedesktop.secrets"})
                .contains("true");
        }));
    }
    QString ask(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(session);
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QString inKeyring(const char* key) {
        return ask("secret-tool", {"lookup", "service", "Tidewaterlink", "key", key});
    }
    json settings() const {
        std::ifstream file(home.filePath("config/tidewaterlink/defaults.json").toStdString());
        return json::parse(file, nullptr, false);
    }

    // A client that gets to its main screen, ended once `until` holds too;
    // what it said on standard error.
    std::string runClient(const QStringList& account, const std::function<bool()>& until = {}) {
        QProcess client;
        client.setProcessEnvironment(session);
        client.start(TWL_KEYRING_CLIENT, QStringList{QString::fromStdString(provider.baseUrl()),
                                                     QString::fromStdString(provider.caFile())} +
                                             account);
        QByteArray said;
        EXPECT_TRUE(eventually([&] {
            client.waitForReadyRead(20);
            said += client.readAllStandardOutput();
            return said.contains("main screen\n") && (!until || until());
        })) << said.toStdString();
        client.terminate();
        client.waitForFinished(5000);
        return client.readAllStandardError().toStdString();
    }
    std::vector<std::string> accountChecks() const {
        std::vector<std::string> targets;
        for (const auto& request : provider.recordedRequests()) {
            if (request["target"].get<std::string>().starts_with("/publicapi")) {
                targets.push_back(request["target"]);
            }
        }
        return targets;
    }

    test_support::PrivateSessionBus bus;
    QTemporaryDir home;
    QProcessEnvironment session;
    QProcess keyring;
    fakes::DevproviderProcess provider;
};

const std::string johnDoe = "/publicapi?method=get_user&username=john%20doe&password=open%20sesame";

TEST_F(Keyring, ASignInKeepsThePasswordThereForTheNextStartAndAnEarlierFileMovesIn) {
    startKeyring();
    std::string said = runClient({"john doe", "open sesame"},
                                 [&] { return inKeyring("vpnUserPassword") == "open sesame"; });
    const json remembered = settings();
    EXPECT_EQ(remembered.value("vpnUserName", json()), "john%20doe");
    EXPECT_EQ(remembered.value("AutoLogin", json()), true);
    EXPECT_FALSE(remembered.contains("vpnUserPassword"));

    said += runClient({});  // signs in by itself
    // An earlier run without a keyring left another account in the file.
    std::ofstream(home.filePath("config/tidewaterlink/defaults.json").toStdString())
        << json{{"vpnUserName", "demo"}, {"vpnUserPassword", "demo-pass"}, {"AutoLogin", true}};
    said += runClient({}, [&] { return !settings().contains("vpnUserPassword"); });
    EXPECT_EQ(inKeyring("vpnUserPassword"), "demo-pass") << "the file's wins";
    EXPECT_EQ(accountChecks(), (std::vector<std::string>{
                                   johnDoe, johnDoe,
                                   "/publicapi?method=get_user&username=demo&password=demo-pass"}));
    EXPECT_EQ(said.find("tidewaterlink: keyring"), std::string::npos) << said;
}

TEST_F(Keyring, WithoutOneThePasswordStaysInTheFileAndTheClientSaysSoOnce) {
    const std::string said = runClient({"john doe", "open sesame"});
    EXPECT_EQ(settings().value("vpnUserPassword", json()), "open sesame");
    const std::string line = "no Secret Service";
    EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << "once";
    runClient({});
    EXPECT_EQ(accountChecks(), (std::vector<std::string>{johnDoe, johnDoe}));
}

}  // namespace
}  // namespace twl
