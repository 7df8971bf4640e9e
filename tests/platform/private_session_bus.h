#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace twl::test_support {

// A session bus of the test's own, without service activation, so that no
// service of the host is ever reached or started. Ended with the object.
class PrivateSessionBus {
  public:
    PrivateSessionBus() {
        QFile config(folder_.filePath("bus.conf"));
        if (config.open(QIODevice::WriteOnly)) {
            config.write(("<busconfig><type>session</type><listen>unix:dir=" + folder_.path() +
                          "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                          "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own="
                          "\"*\"/></policy></busconfig>")
                             .toUtf8());
            config.close();
            bus_.start("dbus-daemon",
                       {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
        }
        if (bus_.waitForStarted(5000) && bus_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        }
    }
    ~PrivateSessionBus() {
        bus_.kill();
        bus_.waitForFinished(5000);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when dbus-daemon is missing or did not start.
    const QString& address() const { return address_; }

  private:
    QTemporaryDir folder_;
    QProcess bus_;
    QString address_;
};

}  // namespace twl::test_support
