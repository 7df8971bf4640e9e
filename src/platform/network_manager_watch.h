#pragma once

#include <functional>
#include <string>

namespace twl {

// NetworkManager's own numbers, as it gives them on the bus.
namespace nm {
inline constexpr int activeDeactivated = 4;  // NMActiveConnectionState
inline constexpr int vpnActivated = 5;       // NMVpnConnectionState
inline constexpr int vpnFailed = 6;
inline constexpr int vpnDisconnected = 7;
inline constexpr int connectedSite = 60;  // NMState: the least that carries a VPN
}  // namespace nm

// One change of an active connection (a profile being brought up, up, or
// going down), with what NetworkManager last said of the rest of it.
struct ActiveConnectionReport {
    std::string path;     // the active connection; never used again for another
    std::string profile;  // the profile it brings up
    int state = 0;        // NMActiveConnectionState
    int vpnState = 0;     // NMVpnConnectionState; 0 for a connection that is no VPN
    int reason = 0;       // the reason NetworkManager gave with this change
    // Once the VPN is activated: the point-to-point interface that is up and
    // holds its IPv4 address ("" when none is found).
    std::string tunnel;
};

// Who hears the watch. Called on the main thread.
class NetworkManagerListener {
  public:
    virtual ~NetworkManagerListener() = default;
    virtual void activeConnectionChanged(const ActiveConnectionReport& report) = 0;
    // NetworkManager's own state (NMState) has changed.
    virtual void networkStateChanged(int state) = 0;
};

// NetworkManager as seen on the system bus: which active connections come and
// go and why. Nothing here waits on the bus: every answer and report comes
// later, on the run loop. Without a system bus, or while NetworkManager is
// not on it (absent, restarting), the watch is off the bus and reports
// nothing. Called on the main thread only.
class NetworkManagerWatch {
  public:
    virtual ~NetworkManagerWatch() = default;

    // Begins watching for `listener`; before, the watch is off the bus. Once
    // started, later calls change nothing.
    virtual void start(NetworkManagerListener& listener) = 0;
    // Reports nothing more; the listener may go.
    virtual void stop() = 0;
    // NetworkManager is on the bus and has told what it holds.
    virtual bool onBus() const = 0;
    // Its state (NMState: asleep 10, ..., connected-site 60, connected-global
    // 70); 0 while off the bus.
    virtual int networkState() const = 0;
    // Looks up the profile of type "vpn" called `id` that this user may
    // bring up; `found` gets its object, or "" when there is none.
    virtual void findProfile(const std::string& id,
                             std::function<void(const std::string& profile)> found) = 0;
};

}  // namespace twl
