// The real client, run as a child process on the offscreen platform, each in
// its own runtime and settings folders. SIGTERM on a real display is taken by
// tests/e2e/client_under_xvfb.sh.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <memory>

namespace {

// Whether a client listens at `path`: a crashed one's socket refuses.
bool answers(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit().left(sizeof address.sun_path - 1);
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

class ClientProcessTest : public ::testing::Test {
  protected:
    // A client that has come up far enough to listen for later launches.
    // With `readerGone`, its standard output is a pipe that nobody reads.
    std::unique_ptr<QProcess> launch(bool waitUntilListening = true, uid_t user = ::geteuid(),
                                     bool readerGone = false) {
        auto client = std::make_unique<QProcess>();
        client->setChildProcessModifier([user, readerGone] {
            if (user != ::geteuid() &&
                (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)) {
                ::_exit(111);
            }
            int ends[2];
            if (readerGone && (::pipe(ends) != 0 || ::dup2(ends[1], STDOUT_FILENO) < 0 ||
                               ::close(ends[0]) != 0)) {
                ::_exit(112);
            }
        });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", folder.path());
        environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        environment.insert("HOME", folder.path());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder.filePath("no-bus"));
        client->setProcessEnvironment(environment);
        client->start(TIDEWATERLINK_BINARY, {});
        EXPECT_TRUE(client->waitForStarted(10000));
        const QDeadlineTimer limit(20000);
        while (waitUntilListening && !answers(socketPath()) && !limit.hasExpired() &&
               client->state() == QProcess::Running) {
            QThread::msleep(20);
        }
        EXPECT_TRUE(!waitUntilListening || answers(socketPath()));
        return client;
    }

    QString socketPath() const { return folder.filePath("tidewaterlink.socket"); }

    static std::string finish(QProcess& client) {
        EXPECT_TRUE(client.waitForFinished(20000));
        return client.readAllStandardOutput().toStdString();
    }

    QTemporaryDir folder;
};

// A line nobody reads (a log pipe that went) must not end the client midway.
TEST_F(ClientProcessTest, EachQuitSignalEndsThroughTheQuitPath) {
    for (const auto& [signal, readerGone] :
         {std::pair{SIGINT, false}, {SIGHUP, false}, {SIGINT, true}}) {
        SCOPED_TRACE(signal);
        auto client = launch(true, ::geteuid(), readerGone);
        ::kill(static_cast<pid_t>(client->processId()), signal);
        EXPECT_EQ(finish(*client), readerGone ? "" : "app is closed\n") << "exactly the one line";
        EXPECT_EQ(client->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(client->exitCode(), 0);
        QFile::remove(socketPath());
    }
}

// Single instance: a crash leaves the socket behind, the next client takes it
// over, and a later launch hands over to that one and ends.
TEST_F(ClientProcessTest, ALaterLaunchHandsOverToTheRunningClientEvenAfterACrash) {
    auto crashed = launch();
    crashed->kill();
    crashed->waitForFinished(10000);
    ASSERT_TRUE(QFileInfo::exists(socketPath())) << "the crash leaves its socket behind";

    auto next = launch();
    ASSERT_EQ(next->state(), QProcess::Running) << "it took over instead of handing over";
    auto later = launch(false);
    EXPECT_EQ(finish(*later), "") << "it says nothing and opens nothing";
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);

    next->terminate();
    EXPECT_EQ(finish(*next), "app is closed\n");
}

// Started by a user without privileges, the client keeps its memory (and the
// passwords in it) from that user's other processes and from core dumps, and
// removes secret folders left by an earlier run at start and at quit.
TEST_F(ClientProcessTest, KeepsItsMemoryToItselfAndClearsLeftSecretFolders) {
    const uid_t nobody = 65534;
    if (::geteuid() != 0 || ::chown(folder.path().toLocal8Bit(), nobody, nobody) != 0) {
        GTEST_SKIP() << "needs root to start the client as an unprivileged user";
    }
    const auto left = folder.filePath("tidewaterlink-secrets-Left01").toLocal8Bit();
    const auto leave = [&] {
        return ::mkdir(left, 0700) == 0 && ::chown(left, nobody, nobody) == 0;
    };
    ASSERT_TRUE(leave());
    auto client = launch(true, nobody);
    const QDeadlineTimer limit(10000);  // cleared just after it starts to listen
    while (QFileInfo::exists(left) && !limit.hasExpired()) {
        QThread::msleep(20);
    }
    EXPECT_FALSE(QFileInfo::exists(left)) << "cleared at start";
#ifndef TIDEWATERLINK_SANITIZED
    struct stat memory {};
    ASSERT_EQ(::stat(("/proc/" + std::to_string(client->processId()) + "/mem").c_str(), &memory),
              0);
    EXPECT_EQ(memory.st_uid, 0u) << "owned by the user, so the user's processes may read it";
#endif
    ASSERT_TRUE(leave());
    ::kill(static_cast<pid_t>(client->processId()), SIGINT);
    EXPECT_EQ(finish(*client), "app is closed\n");
    EXPECT_FALSE(QFileInfo::exists(left)) << "cleared at quit";
}

}  // namespace
