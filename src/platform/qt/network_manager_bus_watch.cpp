#include "platform/qt/network_manager_bus_watch.h"

#include <pwd.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <memory>
#include <vector>

namespace twl {
namespace {

// a{sa{sv}}: a D-Bus object's interfaces with their properties; also a
// profile's settings (setting name → its keys).
using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString objectManagerPath = QStringLiteral("/org/freedesktop");
const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString activeInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString vpnInterface = QStringLiteral("org.freedesktop.NetworkManager.VPN.Connection");
const QString ip4Interface = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
const QString settingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString settingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString profileInterface =
    QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");

// NetworkManager answers at once; a daemon that hangs is taken as absent.
constexpr int callTimeoutMs = 5000;

QDBusMessage methodCall(const QString& path, const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

QDBusMessage propertyGet(const QString& path, const QString& interface, const QString& name) {
    QDBusMessage get = methodCall(path, propertiesInterface, QStringLiteral("Get"));
    get << interface << name;
    return get;
}

// The value of a Properties.Get answer.
QVariant gotValue(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

// The user's permission entry in a profile ("user:NAME:" or "user:NAME").
bool permitsUser(const QStringList& permissions, const QString& user) {
    for (const QString& entry : permissions) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        if (parts.size() >= 2 && parts[0] == QLatin1String("user") && parts[1] == user) {
            return true;
        }
    }
    return false;
}

QString userName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

bool isProfile(const InterfaceProperties& settings, const QString& id, const QString& user) {
    const QVariantMap connection = settings.value(QStringLiteral("connection"));
    return connection.value(QStringLiteral("id")).toString() == id &&
           connection.value(QStringLiteral("type")).toString() == QLatin1String("vpn") &&
           permitsUser(connection.value(QStringLiteral("permissions")).toStringList(), user);
}

}  // namespace

NetworkManagerBusWatch::NetworkManagerBusWatch(TunnelFinder findTunnel, BusConnector connectBus,
                                               QObject* parent)
    : QObject(parent), findTunnel_(std::move(findTunnel)), connectBus_(std::move(connectBus)) {}

NetworkManagerBusWatch::~NetworkManagerBusWatch() = default;

void NetworkManagerBusWatch::start(NetworkManagerListener& listener) {
    listener_ = &listener;
    if (bus_) {
        return;
    }
    bus_ = connectBus_();
    if (!bus_->isConnected()) {
        return;  // no system bus: the watch stays off it
    }
    subscribe();
    auto* presence = new QDBusServiceWatcher(
        service, *bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(presence, &QDBusServiceWatcher::serviceRegistered, this, [this] { arrived(); });
    connect(presence, &QDBusServiceWatcher::serviceUnregistered, this, [this] { left(); });
    arrived();  // it may be there already
}

void NetworkManagerBusWatch::stop() {
    listener_ = nullptr;
}

// Before the snapshot is asked for, so that nothing falls between the two.
void NetworkManagerBusWatch::subscribe() {
    const auto on = [this](const QString& path, const QString& interface, const char* signal,
                           const char* slot) {
        bus_->connect(service, path, interface, QString::fromLatin1(signal), this, slot);
    };
    on(objectManagerPath, objectManager, "InterfacesAdded", SLOT(interfacesAdded(QDBusMessage)));
    on(objectManagerPath, objectManager, "InterfacesRemoved",
       SLOT(interfacesRemoved(QDBusMessage)));
    on(QString(), activeInterface, "StateChanged", SLOT(activeStateChanged(QDBusMessage)));
    on(QString(), vpnInterface, "VpnStateChanged", SLOT(vpnStateChanged(QDBusMessage)));
    on(managerPath, service, "StateChanged", SLOT(networkStateChanged(QDBusMessage)));
}

void NetworkManagerBusWatch::arrived() {
    const unsigned presence = presence_;
    auto* call = new QDBusPendingCallWatcher(
        bus_->asyncCall(
            methodCall(objectManagerPath, objectManager, QStringLiteral("GetManagedObjects")),
            callTimeoutMs),
        &pending_);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, presence](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                if (presence != presence_ || reply.type() != QDBusMessage::ReplyMessage ||
                    reply.arguments().isEmpty()) {
                    return;
                }
                onBus_ = true;
                const auto objects = qdbus_cast<ManagedObjects>(reply.arguments().constFirst());
                for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
                    learn(object.key().path(), QVariant::fromValue(object.value()));
                }
            });
}

void NetworkManagerBusWatch::left() {
    ++presence_;
    onBus_ = false;
    known_.clear();
    setNetworkState(0);
}

void NetworkManagerBusWatch::networkStateChanged(const QDBusMessage& message) {
    if (onBus_ && !message.arguments().isEmpty()) {
        setNetworkState(message.arguments().constFirst().toInt());
    }
}

void NetworkManagerBusWatch::setNetworkState(int state) {
    if (state != networkState_) {
        networkState_ = state;
        if (listener_ != nullptr) {
            listener_->networkStateChanged(state);
        }
    }
}

void NetworkManagerBusWatch::interfacesAdded(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() == 2) {
        learn(arguments[0].value<QDBusObjectPath>().path(), arguments[1]);
    }
}

// An active connection that goes without a last word went down with no reason.
void NetworkManagerBusWatch::interfacesRemoved(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 2 || !arguments[1].toStringList().contains(activeInterface)) {
        return;
    }
    const QString path = arguments[0].value<QDBusObjectPath>().path();
    const auto found = known_.find(path);
    if (found == known_.end()) {
        return;
    }
    const bool saidItsLastWord = found->last.state == nm::activeDeactivated;
    ActiveConnectionReport last = found->last;
    known_.erase(found);
    if (!saidItsLastWord) {
        last.state = nm::activeDeactivated;
        last.reason = 0;
        report(last);
    }
}

void NetworkManagerBusWatch::activeStateChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() == 2) {
        changed(message.path(), arguments[0].toInt(), std::nullopt, arguments[1].toInt());
    }
}

void NetworkManagerBusWatch::vpnStateChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() == 2) {
        changed(message.path(), std::nullopt, arguments[0].toInt(), arguments[1].toInt());
    }
}

void NetworkManagerBusWatch::learn(const QString& path, const QVariant& interfaces) {
    const auto properties = qdbus_cast<InterfaceProperties>(interfaces);
    if (path == managerPath && properties.contains(service)) {
        setNetworkState(properties.value(service).value(QStringLiteral("State")).toInt());
    }
    if (!properties.contains(activeInterface)) {
        return;
    }
    const QVariantMap active = properties.value(activeInterface);
    Known& known = known_[path];
    known.last = ActiveConnectionReport{
        .path = path.toStdString(),
        .profile = active.value(QStringLiteral("Connection"))
                       .value<QDBusObjectPath>()
                       .path()
                       .toStdString(),
        .state = active.value(QStringLiteral("State")).toInt(),
        .vpnState = properties.value(vpnInterface).value(QStringLiteral("VpnState")).toInt(),
        .reason = 0,
        .tunnel = {},
    };
    ++known.changes;
    if (known.last.vpnState == nm::vpnActivated) {
        lookUpTunnel(path);
    } else {
        report(known.last);
    }
}

void NetworkManagerBusWatch::changed(const QString& path, std::optional<int> state,
                                     std::optional<int> vpnState, int reason) {
    const auto found = known_.find(path);
    if (found == known_.end()) {
        return;  // not an active connection seen since NetworkManager arrived
    }
    ActiveConnectionReport& last = found->last;
    last.state = state.value_or(last.state);
    last.vpnState = vpnState.value_or(last.vpnState);
    last.reason = reason;
    ++found->changes;
    if (vpnState == nm::vpnActivated) {
        lookUpTunnel(path);
    } else {
        report(last);
    }
}

// Two questions, each answered later; a change or a coming and going of
// NetworkManager meanwhile makes the answer late, and it is dropped.
void NetworkManagerBusWatch::lookUpTunnel(const QString& path) {
    const unsigned change = known_.value(path).changes;
    const unsigned presence = presence_;
    const auto stillCurrent = [this, path, change, presence] {
        return presence == presence_ && known_.contains(path) &&
               known_.value(path).changes == change;
    };
    const auto finish = [this, path, stillCurrent](const std::string& tunnel) {
        if (stillCurrent()) {
            ActiveConnectionReport& last = known_[path].last;
            last.tunnel = tunnel;
            report(last);
        }
    };
    const auto ask = [this](const QDBusMessage& question, auto answered) {
        auto* call =
            new QDBusPendingCallWatcher(bus_->asyncCall(question, callTimeoutMs), &pending_);
        connect(call, &QDBusPendingCallWatcher::finished, this,
                [answered](QDBusPendingCallWatcher* done) {
                    done->deleteLater();
                    answered(gotValue(done->reply()));
                });
    };
    ask(propertyGet(path, activeInterface, QStringLiteral("Ip4Config")),
        [this, ask, finish](const QVariant& config) {
            const QString configPath = config.value<QDBusObjectPath>().path();
            if (configPath.isEmpty() || configPath == QLatin1String("/")) {
                finish({});
                return;
            }
            ask(propertyGet(configPath, ip4Interface, QStringLiteral("AddressData")),
                [this, finish](const QVariant& data) {
                    const auto addresses = qdbus_cast<QList<QVariantMap>>(data);
                    const QString address =
                        addresses.isEmpty()
                            ? QString()
                            : addresses.constFirst().value(QStringLiteral("address")).toString();
                    finish(address.isEmpty() ? std::string() : findTunnel_(address.toStdString()));
                });
        });
}

void NetworkManagerBusWatch::report(const ActiveConnectionReport& report) {
    if (listener_ != nullptr) {
        listener_->activeConnectionChanged(report);
    }
}

void NetworkManagerBusWatch::findProfile(const std::string& id,
                                         std::function<void(const std::string& profile)> found) {
    if (!onBus_) {
        QTimer::singleShot(0, &pending_, [found = std::move(found)] { found({}); });
        return;
    }
    auto* call = new QDBusPendingCallWatcher(
        bus_->asyncCall(
            methodCall(settingsPath, settingsInterface, QStringLiteral("ListConnections")),
            callTimeoutMs),
        &pending_);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, wanted = QString::fromStdString(id),
             found = std::move(found)](QDBusPendingCallWatcher* answered) mutable {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                const auto profiles =
                    reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                        ? qdbus_cast<QList<QDBusObjectPath>>(reply.arguments()[0])
                        : QList<QDBusObjectPath>();
                matchProfiles(profiles, wanted, std::move(found));
            });
}

// Each profile's settings are asked for at once; of those that match (the
// tool leaves one), the last listed is the newest.
void NetworkManagerBusWatch::matchProfiles(const QList<QDBusObjectPath>& profiles,
                                           const QString& id,
                                           std::function<void(const std::string&)> found) {
    if (profiles.isEmpty()) {
        found({});
        return;
    }
    struct Search {
        std::vector<std::string> matching;
        qsizetype waiting = 0;
        std::function<void(const std::string&)> found;
    };
    auto search = std::make_shared<Search>(
        Search{std::vector<std::string>(static_cast<std::size_t>(profiles.size())), profiles.size(),
               std::move(found)});
    const QString user = userName();
    for (qsizetype index = 0; index < profiles.size(); ++index) {
        const QString path = profiles[index].path();
        auto* call = new QDBusPendingCallWatcher(
            bus_->asyncCall(methodCall(path, profileInterface, QStringLiteral("GetSettings")),
                            callTimeoutMs),
            &pending_);
        connect(
            call, &QDBusPendingCallWatcher::finished, this,
            [search, index, path, id, user](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                // Another user's profile is not shown to this one: an error.
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                    isProfile(qdbus_cast<InterfaceProperties>(reply.arguments()[0]), id, user)) {
                    search->matching[static_cast<std::size_t>(index)] = path.toStdString();
                }
                if (--search->waiting > 0) {
                    return;
                }
                std::string newest;
                for (const std::string& each : search->matching) {
                    newest = each.empty() ? newest : each;
                }
                search->found(newest);
            });
    }
}

}  // namespace twl
