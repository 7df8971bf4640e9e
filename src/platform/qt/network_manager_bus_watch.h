#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "platform/network_manager_watch.h"

class QDBusMessage;
class QDBusObjectPath;

namespace twl {

// NetworkManager followed on the system bus, without ever waiting on it:
// - the service coming and going (a QDBusServiceWatcher); while it is away
//   the watch is off the bus and knows nothing;
// - its object manager: the snapshot (GetManagedObjects) and each
//   InterfacesAdded, whose one message carries all that an activation that
//   fails within milliseconds ever says of itself;
// - every active connection's StateChanged and VPN connection's
//   VpnStateChanged, matched on any path, so none is missed between an
//   activation appearing and being looked at;
// - its own State and StateChanged: whether there is a network to carry a VPN.
// A VPN that reaches activated is reported once its tunnel is looked up: its
// Ip4Config's first address, held by an up point-to-point interface.
class NetworkManagerBusWatch final : public QObject, public NetworkManagerWatch {
    Q_OBJECT

  public:
    using BusConnector = std::function<QDBusConnection()>;
    // The interface holding an IPv4 address, or "".
    using TunnelFinder = std::function<std::string(const std::string& address)>;

    explicit NetworkManagerBusWatch(TunnelFinder findTunnel,
                                    BusConnector connectBus = &QDBusConnection::systemBus,
                                    QObject* parent = nullptr);
    ~NetworkManagerBusWatch() override;
    NetworkManagerBusWatch(const NetworkManagerBusWatch&) = delete;
    NetworkManagerBusWatch& operator=(const NetworkManagerBusWatch&) = delete;

    void start(NetworkManagerListener& listener) override;
    void stop() override;
    bool onBus() const override { return onBus_; }
    int networkState() const override { return networkState_; }
    void findProfile(const std::string& id,
                     std::function<void(const std::string& profile)> found) override;

  private Q_SLOTS:
    void interfacesAdded(const QDBusMessage& message);
    void interfacesRemoved(const QDBusMessage& message);
    void activeStateChanged(const QDBusMessage& message);
    void vpnStateChanged(const QDBusMessage& message);
    void networkStateChanged(const QDBusMessage& message);

  private:
    // What is known of one active connection.
    struct Known {
        ActiveConnectionReport last;
        unsigned changes = 0;  // a tunnel look-up that sees this change is late
    };

    void subscribe();
    void arrived();
    void left();
    void learn(const QString& path, const QVariant& interfaces);
    void changed(const QString& path, std::optional<int> state, std::optional<int> vpnState,
                 int reason);
    void lookUpTunnel(const QString& path);
    void matchProfiles(const QList<QDBusObjectPath>& profiles, const QString& id,
                       std::function<void(const std::string&)> found);
    void report(const ActiveConnectionReport& report);
    void setNetworkState(int state);

    TunnelFinder findTunnel_;
    BusConnector connectBus_;
    std::optional<QDBusConnection> bus_;
    NetworkManagerListener* listener_ = nullptr;
    bool onBus_ = false;
    int networkState_ = 0;
    unsigned presence_ = 0;  // counts the service's comings and goings
    QHash<QString, Known> known_;
    QObject pending_;  // parent of the calls under way; drops them unanswered
};

}  // namespace twl
