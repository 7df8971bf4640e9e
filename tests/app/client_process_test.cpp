// The real client, run as a child process on the offscreen platform, each in
// its own runtime and settings folders.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace {

class ClientProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
    }

    std::unique_ptr<QProcess> launch() {
        auto client = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", folder.path());
        environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        environment.insert("HOME", folder.path());
        client->setProcessEnvironment(environment);
        client->start(TIDEWATERLINK_BINARY, {});
        EXPECT_TRUE(client->waitForStarted(10000));
        return client;
    }

    // The client listens for later launches once it is up.
    bool waitUntilListening(QProcess& client) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000 && client.state() == QProcess::Running) {
            if (QFileInfo(socketPath()).exists()) {
                return true;
            }
            QThread::msleep(20);
        }
        return false;
    }

    QString socketPath() const { return folder.filePath("tidewaterlink.socket"); }

    static std::string finish(QProcess& client) {
        EXPECT_TRUE(client.waitForFinished(20000));
        return client.readAllStandardOutput().toStdString();
    }

    QTemporaryDir folder;
};

TEST_F(ClientProcessTest, EachQuitSignalEndsThroughTheQuitPath) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        auto client = launch();
        ASSERT_TRUE(waitUntilListening(*client));
        ::kill(static_cast<pid_t>(client->processId()), signal);

        EXPECT_EQ(finish(*client), "app is closed\n") << "exactly the one line, nothing else";
        EXPECT_EQ(client->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(client->exitCode(), 0);
    }
}

// Single instance: a crash leaves the socket behind, the next client takes it
// over, and a later launch hands over to that one and ends.
TEST_F(ClientProcessTest, ALaterLaunchHandsOverToTheRunningClientEvenAfterACrash) {
    auto crashed = launch();
    ASSERT_TRUE(waitUntilListening(*crashed));
    crashed->kill();
    crashed->waitForFinished(10000);
    ASSERT_TRUE(QFileInfo(socketPath()).exists()) << "the crash leaves its socket behind";

    auto next = launch();
    ASSERT_TRUE(waitUntilListening(*next));
    QThread::msleep(200);
    ASSERT_EQ(next->state(), QProcess::Running) << "it took over instead of handing over";
    auto later = launch();
    EXPECT_EQ(finish(*later), "") << "it says nothing and opens nothing";
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);

    next->terminate();
    EXPECT_EQ(finish(*next), "app is closed\n");
}

}  // namespace
