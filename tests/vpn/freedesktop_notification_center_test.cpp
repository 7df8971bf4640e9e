// Over a private session bus of our own, without service activation, so no
// notification daemon of the host is ever reached or started.
#include "platform/qt/freedesktop_notification_center.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <mutex>
#include <optional>

#include "fakes/virtual_run_loop.h"
#include "platform/qt_test_support.h"

namespace twl {
namespace {

// A notification server that answers GetCapabilities and records Notify calls.
class FakeNotificationServer final : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::lock_guard lock(mutex_);
        if (message.member() == QLatin1String("GetCapabilities")) {
            return connection.send(message.createReply(QStringList{QStringLiteral("body")}));
        }
        if (message.member() == QLatin1String("Notify")) {
            notifications_.push_back(message.arguments());
            return connection.send(message.createReply(quint32(notifications_.size())));
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

class FreedesktopNotificationCenterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString config = dir.filePath("bus.conf");
        std::ofstream(config.toStdString())
            << "<busconfig><type>session</type><listen>unix:dir=" << dir.path().toStdString()
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
               "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
               "</policy></busconfig>";
        bus.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (!bus.waitForStarted(5000) || !bus.waitForReadyRead(5000)) {
            GTEST_SKIP() << "dbus-daemon is missing or did not start: no private bus to test on";
        }
        address = QString::fromUtf8(bus.readLine()).trimmed();
    }

    void TearDown() override {
        for (const char* name : {"client", "server"}) {
            QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
        }
        bus.kill();
        bus.waitForFinished(5000);
    }

    FreedesktopNotificationCenter::BusConnector clientBus() const {
        return [address = address] {
            return QDBusConnection::connectToBus(address, QStringLiteral("client"));
        };
    }

    QTemporaryDir dir;
    QProcess bus;
    QString address;
    FakeNotificationServer server;
    fakes::VirtualRunLoop loop{1'800'000'000.0};
};

// The bus is reached on first use only. Permission is granted only when a
// server answers. One centre goes before its trigger falls due: its
// notification is never sent.
TEST_F(FreedesktopNotificationCenterTest, AskedFirstThenSentWhenTheTriggerFallsDue) {
    const FreedesktopNotificationCenter idle(loop, clientBus());
    EXPECT_FALSE(QDBusConnection(QStringLiteral("client")).isConnected()) << "before first use";
    for (const bool serverUp : {false, true}) {
        if (serverUp) {
            auto bus = QDBusConnection::connectToBus(address, QStringLiteral("server"));
            ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &server));
            ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
        }
        std::optional<bool> granted;
        FreedesktopNotificationCenter asker(loop, clientBus());
        asker.requestAuthorization(7, [&](bool answer) { granted = answer; });
        ASSERT_TRUE(test_support::spinUntil([&] { return granted.has_value(); }));
        EXPECT_EQ(*granted, serverUp);
    }
    const NotificationRequest request{"id", "Duskway", "Connected", "alarm", 1'800'000'001};
    FreedesktopNotificationCenter(loop, clientBus()).add(request);
    FreedesktopNotificationCenter center(loop, clientBus());
    center.add(request);
    loop.advance(0.9);
    test_support::spinUntil([&] { return !server.notifications().empty(); }, 300);
    EXPECT_TRUE(server.notifications().empty()) << "sent before its trigger";

    loop.advance(0.1);
    ASSERT_TRUE(test_support::spinUntil([&] { return !server.notifications().empty(); }));
    test_support::spinUntil([&] { return server.notifications().size() > 1; }, 300);
    ASSERT_EQ(server.notifications().size(), 1u);
    const QVariantList args = server.notifications()[0];
    ASSERT_EQ(args.size(), 8);
    EXPECT_EQ(args[1].toUInt(), 0u) << "replaces nothing";
    EXPECT_EQ(args[3].toString(), "Duskway");
    EXPECT_EQ(args[4].toString(), "Connected");
    const auto hints = qdbus_cast<QVariantMap>(args[6]);
    EXPECT_EQ(hints.value(QStringLiteral("category")).toString(), "alarm");
    EXPECT_EQ(hints.value(QStringLiteral("suppress-sound")).toBool(), true);
}

}  // namespace
}  // namespace twl
