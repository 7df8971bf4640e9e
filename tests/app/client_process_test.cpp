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
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "private_system.h"
#include "test_support.h"

namespace {

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit().left(sizeof address.sun_path - 1);
    std::copy(name.begin(), name.end(), address.sun_path);
    return address;
}

// Whether a client listens at `path`: a crashed one's socket refuses.
bool answers(const QString& path) {
    sockaddr_un address = addressOf(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

class ClientProcessTest : public ::testing::Test {
  protected:
    // As root, in a system of the test's own: the runtime folder on a tmpfs,
    // as a login session has it, and the client where any user can run it
    // (the checkout may lie in a folder only root may enter).
    void SetUp() override {
        ownSystem = ::geteuid() == 0 && system.enter().empty();
        if (ownSystem) {
            runtime = "/run/twl-client";
            ASSERT_EQ(::mkdir(runtime.toLocal8Bit(), 0700), 0);
            program = "/run/tidewaterlink";
            std::filesystem::copy_file(TIDEWATERLINK_BINARY, program.toStdString());
        }
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
        environment.insert("HOME", scratch.path());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + scratch.filePath("no-bus"));
    }

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
        client->setProcessEnvironment(environment);
        client->setStandardErrorFile(scratch.filePath("stderr"));
        client->start(program, {});
        EXPECT_TRUE(client->waitForStarted(10000));
        waitWhileRunning(*client, [&] { return !waitUntilListening || answers(socketPath()); });
        EXPECT_TRUE(!waitUntilListening || answers(socketPath()));
        return client;
    }

    // Its end is only noticed while waiting for it.
    static void waitWhileRunning(QProcess& client, const std::function<bool()>& done) {
        const QDeadlineTimer limit(20000);
        while (!done() && !limit.hasExpired() && client.state() == QProcess::Running &&
               !client.waitForFinished(20)) {
        }
    }

    QString socketPath() const { return runtime + "/tidewaterlink.socket"; }

    static std::string finish(QProcess& client) {
        EXPECT_TRUE(client.waitForFinished(20000));
        return client.readAllStandardOutput().toStdString();
    }

    twl::test_support::PrivateSystem system;
    bool ownSystem = false;
    QTemporaryDir scratch;
    QString runtime = scratch.path();
    QString program = TIDEWATERLINK_BINARY;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
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
    if (!ownSystem || ::chown(runtime.toLocal8Bit(), nobody, nobody) != 0) {
        GTEST_SKIP() << "needs root and a system of the test's own to start the client as nobody";
    }
    const auto left = (runtime + "/tidewaterlink-secrets-Left01").toLocal8Bit();
    const auto leave = [&] {
        return ::mkdir(left, 0700) == 0 && ::chown(left, nobody, nobody) == 0;
    };
    ASSERT_TRUE(leave());
    auto client = launch(true, nobody);
    waitWhileRunning(*client, [&] { return !QFileInfo::exists(left); });  // just after it listens
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

// Another user's socket is never taken for a running client, in a shared
// folder (without a private one the client claims nothing, and says so) or
// in the user's own; the client comes up.
TEST_F(ClientProcessTest, NeverHandsOverToAnotherUsersSocket) {
    if (!ownSystem) {
        GTEST_SKIP() << "needs root and a system of the test's own";
    }
    // What /tmp is to every user, where Qt's own fallback was made by another.
    const QString shared = "/run/twl-tmp";
    std::filesystem::create_directories((shared + "/runtime-root").toStdString());
    ASSERT_EQ(::chmod(shared.toLocal8Bit(), 01777) |
                  ::chown((shared + "/runtime-root").toLocal8Bit(), 65534, 65534),
              0);
    environment.insert("TMPDIR", shared);
    for (const bool inShared : {true, false}) {
        SCOPED_TRACE(inShared ? "a shared folder" : "the user's own");
        const QString path = inShared ? shared + "/tidewaterlink.socket" : socketPath();
        environment.insert("XDG_RUNTIME_DIR", inShared ? "" : runtime);
        sockaddr_un address = addressOf(path);
        const int other = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::seteuid(65534) | ::listen(other, 1) | ::seteuid(0), 0) << "nobody's";
        struct stat theirs {};
        ::stat(path.toLocal8Bit(), &theirs);
        const auto replaced = [&] {
            struct stat now {};
            return ::stat(path.toLocal8Bit(), &now) == 0 && now.st_ino != theirs.st_ino;
        };
        const auto saysItRunsAlone = [&] {
            return twl::test_support::readFile(scratch.filePath("stderr").toStdString())
                       .find("running without") != std::string::npos;
        };
        auto client = launch(false);
        waitWhileRunning(*client, [&] { return replaced() || saysItRunsAlone(); });
        EXPECT_EQ(client->state(), QProcess::Running);
        EXPECT_EQ(saysItRunsAlone(), inShared);
        client->terminate();
        EXPECT_EQ(finish(*client), "app is closed\n");
        ::close(other);
    }
}

}  // namespace
