// The L2TP plugin's stand-in, which the private NetworkManager starts in its
// place where a test asks: on Connect it makes the TUN device ppp1 (ppp0 stays
// free, so only NetworkManager's word can show the tunnel) and hands over its
// configuration, as the real plugin does once pppd is up; this kernel has no
// PPP, so the real one never gets there. The file `control` says what it
// does at Connect: "activate", "hang" (it never gets further) or
// "refuse-login"; `control`.drop appearing loses the line.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QVariantMap>
#include <csignal>
#include <cstring>

namespace {

const QString path = QStringLiteral("/org/freedesktop/NetworkManager/VPN/Plugin");
const QString control = QStringLiteral("/run/twl-nm/stand-in-plugin");
constexpr uint starting = 3, started = 4, stopped = 6;  // NMVpnServiceState
constexpr uint loginFailed = 0;                         // NMVpnPluginFailure

class StandInPlugin final : public QDBusVirtualObject {
  public:
    explicit StandInPlugin(QDBusConnection bus) : bus_(std::move(bus)) {
        connect(&lineWatch_, &QTimer::timeout, this, [this] {
            if (QFile::exists(control + QStringLiteral(".drop"))) {
                loseTheLine();
            }
        });
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString method = message.member();
        bus.send(method == QLatin1String("NeedSecrets") ? message.createReply(QString())
                                                        : message.createReply());
        if (method.startsWith(QLatin1String("Connect"))) {
            QTimer::singleShot(100, this, [this] { act(); });
        } else if (method == QLatin1String("Disconnect")) {
            loseTheLine();
        }
        return true;
    }

  private:
    void say(const char* name, const QVariant& value) {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.NetworkManager.VPN.Plugin"), name);
        bus_.send(signal << value);
    }

    void act() {
        QFile file(control);
        const QByteArray what = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : "";
        say("StateChanged", starting);
        if (what == "hang") {
            return;
        }
        if (what != "activate" || !makeTunnel()) {
            say("Failure", loginFailed);
            say("StateChanged", stopped);
            return;
        }
        // Addresses in network order, as the plugins give them.
        say("Config", QVariantMap{{"tundev", "ppp1"},
                                  {"gateway", ::inet_addr("10.99.0.2")},
                                  {"has-ip4", true},
                                  {"has-ip6", false}});
        say("Ip4Config", QVariantMap{{"address", ::inet_addr("10.64.0.5")},
                                     {"ptp", ::inet_addr("10.64.0.1")},
                                     {"prefix", 32U}});
        say("StateChanged", started);
        lineWatch_.start(100);
    }

    // Held open, so that the device has a carrier, as pppd's has.
    bool makeTunnel() {
        tun_ = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
        ifreq request{};
        request.ifr_flags = IFF_TUN | IFF_NO_PI;
        std::strncpy(request.ifr_name, "ppp1", IFNAMSIZ - 1);
        // The one before may still hold the name for a moment.
        bool made = false;
        for (int tries = 0; tun_ >= 0 && !made && tries < 20; ++tries) {
            made = ::ioctl(tun_, TUNSETIFF, &request) == 0 || (::usleep(100000), false);
        }
        return made &&
               QProcess::execute(
                   "ip", {"addr", "add", "10.64.0.5", "peer", "10.64.0.1", "dev", "ppp1"}) == 0 &&
               QProcess::execute("ip", {"link", "set", "ppp1", "up"}) == 0;
    }

    // As when pppd ends: the device goes, and the plugin stops without a word.
    void loseTheLine() {
        lineWatch_.stop();
        ::close(tun_);
        tun_ = -1;
        say("StateChanged", stopped);
        QTimer::singleShot(200, qApp, &QCoreApplication::quit);
    }

    QDBusConnection bus_;
    QTimer lineWatch_;
    int tun_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // it goes with NetworkManager
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    StandInPlugin plugin(bus);
    return bus.registerVirtualObject(path, &plugin) &&
                   bus.registerService(QStringLiteral("org.freedesktop.NetworkManager.l2tp"))
               ? QCoreApplication::exec()
               : 1;
}
