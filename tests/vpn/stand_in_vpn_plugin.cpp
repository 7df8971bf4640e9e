// The L2TP plugin's stand-in for the private NetworkManager, which starts it
// in the plugin's place: on Connect it makes the TUN device ppp1 (ppp0 stays
// free, so only NetworkManager's word can show the tunnel) and hands
// NetworkManager its configuration, as the real plugin does once pppd is up;
// this kernel has no PPP, so the real one never gets there. What it does is
// read from the file `control` at Connect: "activate", or "refuse-login".
// Once activated, the file `control`.drop appearing loses the line.
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

const QString pluginPath = QStringLiteral("/org/freedesktop/NetworkManager/VPN/Plugin");
const QString pluginInterface = QStringLiteral("org.freedesktop.NetworkManager.VPN.Plugin");
const QString control = QStringLiteral("/run/twl-nm/stand-in-plugin");
constexpr const char* tunnel = "ppp1";
// NMVpnServiceState and NMVpnPluginFailure.
constexpr uint starting = 3, started = 4, stopped = 6;
constexpr uint loginFailed = 0;

// An IPv4 address as NetworkManager's VPN plugins give it: network order.
uint address(const char* dotted) {
    return ::inet_addr(dotted);
}

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
        if (method == QLatin1String("NeedSecrets")) {
            bus.send(message.createReply(QString()));  // it has all it needs
        } else if (method == QLatin1String("Connect") ||
                   method == QLatin1String("ConnectInteractive")) {
            bus.send(message.createReply());
            QTimer::singleShot(100, this, [this] { act(); });
        } else if (method == QLatin1String("Disconnect")) {
            bus.send(message.createReply());
            loseTheLine();
        } else {
            bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                              QStringLiteral("not played by the stand-in")));
        }
        return true;
    }

  private:
    void emitSignal(const char* name, const QVariant& value) {
        QDBusMessage signal =
            QDBusMessage::createSignal(pluginPath, pluginInterface, QString::fromLatin1(name));
        signal << value;
        bus_.send(signal);
    }

    void act() {
        QFile file(control);
        const QByteArray what = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : "";
        emitSignal("StateChanged", starting);
        if (what == "refuse-login") {
            emitSignal("Failure", loginFailed);
            emitSignal("StateChanged", stopped);
            return;
        }
        if (!makeTunnel()) {
            emitSignal("StateChanged", stopped);
            return;
        }
        emitSignal("Config", QVariantMap{{QStringLiteral("tundev"), QString::fromLatin1(tunnel)},
                                         {QStringLiteral("gateway"), address("10.99.0.2")},
                                         {QStringLiteral("has-ip4"), true},
                                         {QStringLiteral("has-ip6"), false}});
        emitSignal("Ip4Config", QVariantMap{{QStringLiteral("address"), address("10.64.0.5")},
                                            {QStringLiteral("ptp"), address("10.64.0.1")},
                                            {QStringLiteral("prefix"), 32U}});
        emitSignal("StateChanged", started);
        lineWatch_.start(100);
    }

    // Held open, so that the device has a carrier, as pppd's has.
    bool makeTunnel() {
        tun_ = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
        ifreq request{};
        request.ifr_flags = IFF_TUN | IFF_NO_PI;
        std::strncpy(request.ifr_name, tunnel, IFNAMSIZ - 1);
        if (tun_ < 0 || ::ioctl(tun_, TUNSETIFF, &request) != 0) {
            return false;
        }
        return QProcess::execute(
                   QStringLiteral("ip"),
                   {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.64.0.5"),
                    QStringLiteral("peer"), QStringLiteral("10.64.0.1"), QStringLiteral("dev"),
                    QString::fromLatin1(tunnel)}) == 0 &&
               QProcess::execute(QStringLiteral("ip"),
                                 {QStringLiteral("link"), QStringLiteral("set"),
                                  QString::fromLatin1(tunnel), QStringLiteral("up")}) == 0;
    }

    // As when pppd ends: the device goes, and the plugin stops.
    void loseTheLine() {
        lineWatch_.stop();
        if (tun_ >= 0) {
            ::close(tun_);
            tun_ = -1;
        }
        emitSignal("StateChanged", stopped);
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
    if (!bus.registerVirtualObject(pluginPath, &plugin) ||
        !bus.registerService(QStringLiteral("org.freedesktop.NetworkManager.l2tp"))) {
        return 1;
    }
    return QCoreApplication::exec();
}
