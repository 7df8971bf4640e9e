#include "platform/qt/freedesktop_notification_center.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <mutex>
#include <optional>

#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

// A notification server that answers GetCapabilities and records Notify calls.
class FakeNotificationServer final : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::lock_guard lock(mutex_);
        if (message.member() == QLatin1String("GetCapabilities")) {
            connection.send(message.createReply(QStringList{QStringLiteral("body")}));
            return true;
        }
        if (message.member() == QLatin1String("Notify")) {
            notifications_.push_back(message.arguments());
            connection.send(message.createReply(quint32(notifications_.size())));
            return true;
        }
        return false;
    }

    std::vector<QVariantList> notifications() const {
        std::lock_guard lock(mutex_);
        return notifications_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<QVariantList> notifications_;
};

// A private session bus of our own: no service activation, so no real
// notification daemon of the host can be started by it.
class PrivateBus {
  public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !dir_.isValid()) {
            return;
        }
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                       "busconfig.dtd\">\n<busconfig><type>session</type>"
                       "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\"/>"
                       "<allow receive_sender=\"*\"/>"
                       "<allow own=\"*\"/></policy></busconfig>\n")
                       .arg(dir_.path())
                       .toUtf8());
        file.close();
        daemon_.start(daemon, {QStringLiteral("--config-file=") + config,
                               QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

    const QString& address() const { return address_; }

    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

bool spinUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class FreedesktopNotificationCenterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    void SetUp() override {
        bus_.emplace();
        if (bus_->address().isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is missing or did not start: no private bus to test on";
        }
        ++connections_;
        client_ = QStringLiteral("client%1").arg(connections_);
        server_ = QStringLiteral("server%1").arg(connections_);
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(client_);
        QDBusConnection::disconnectFromBus(server_);
        bus_.reset();
    }

    QDBusConnection clientBus() { return bus_->connect(client_); }

    void startServer() {
        QDBusConnection bus = bus_->connect(server_);
        ASSERT_TRUE(
            bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &server));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    static NotificationRequest request(const char* title, std::int64_t trigger) {
        return NotificationRequest{"id", title, "Connected", "alarm", trigger};
    }

    FakeNotificationServer server;
    fakes::VirtualRunLoop loop{1'800'000'000.0};

  private:
    std::optional<PrivateBus> bus_;
    QString client_;
    QString server_;
    static inline int connections_ = 0;
};

TEST_F(FreedesktopNotificationCenterTest, PermissionIsGrantedWhenAServerAnswers) {
    startServer();
    FreedesktopNotificationCenter center(loop, clientBus());
    ASSERT_TRUE(center.isAvailable());

    std::optional<bool> granted;
    center.requestAuthorization(7, [&](bool answer) { granted = answer; });
    ASSERT_TRUE(spinUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
}

TEST_F(FreedesktopNotificationCenterTest, PermissionIsDeclinedWithoutAServer) {
    FreedesktopNotificationCenter center(loop, clientBus());
    std::optional<bool> granted;
    center.requestAuthorization(7, [&](bool answer) { granted = answer; });
    ASSERT_TRUE(spinUntil([&] { return granted.has_value(); }));
    EXPECT_FALSE(*granted);
}

TEST_F(FreedesktopNotificationCenterTest, SendsANewNotificationWhenTheTriggerFallsDue) {
    startServer();
    FreedesktopNotificationCenter center(loop, clientBus());
    center.add(request("Duskway", 1'800'000'001));

    loop.advance(0.9);
    spinUntil([&] { return !server.notifications().empty(); }, 300);
    EXPECT_TRUE(server.notifications().empty()) << "sent before its trigger";

    loop.advance(0.1);
    ASSERT_TRUE(spinUntil([&] { return server.notifications().size() == 1; }));
    const QVariantList args = server.notifications()[0];
    ASSERT_EQ(args.size(), 8);
    EXPECT_EQ(args[0].toString(), "Tidewaterlink");
    EXPECT_EQ(args[1].toUInt(), 0u) << "replaces nothing";
    EXPECT_EQ(args[3].toString(), "Duskway");
    EXPECT_EQ(args[4].toString(), "Connected");
    EXPECT_TRUE(qdbus_cast<QStringList>(args[5]).isEmpty()) << "no actions";
    const auto hints = qdbus_cast<QVariantMap>(args[6]);
    EXPECT_EQ(hints.value(QStringLiteral("category")).toString(), "alarm");
    EXPECT_EQ(hints.value(QStringLiteral("suppress-sound")).toBool(), true);
    EXPECT_EQ(args[7].toInt(), -1);
}

TEST_F(FreedesktopNotificationCenterTest, NothingIsSentOnceTheCentreIsGone) {
    startServer();
    {
        FreedesktopNotificationCenter center(loop, clientBus());
        center.add(request("Duskway", 1'800'000'001));
    }
    loop.advance(2.0);
    spinUntil([&] { return !server.notifications().empty(); }, 300);
    EXPECT_TRUE(server.notifications().empty());
}

TEST_F(FreedesktopNotificationCenterTest, WithoutABusNothingIsAskedOrScheduled) {
    FreedesktopNotificationCenter center(
        loop, QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                            QStringLiteral("nobus")));
    EXPECT_FALSE(center.isAvailable());
    bool answered = false;
    center.requestAuthorization(7, [&](bool) { answered = true; });
    center.add(request("Duskway", 1'800'000'001));
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
    loop.advance(2.0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

}  // namespace
}  // namespace twl
