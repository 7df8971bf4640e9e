#pragma once

#include <memory>
#include <string>
#include <utility>

#include <optional>

#include "app/step_guard.h"
#include "platform/network_manager_watch.h"
#include "platform/sleep_watch.h"
#include "platform/timer.h"
#include "vpn/connection_observer.h"
#include "vpn/connection_state.h"
#include "vpn/our_active_connection.h"

namespace twl {

class AppContext;

// The one owner of the connection: its state, and every step of an attempt
// that is not a view (the register wait, provisioning, the connect delay, the
// connect and disconnect commands, detection and the watch, the tray icon and
// the notifications). It lives as long as the context, so an attempt goes on
// while no main screen is shown, and ends only through one of the ways out.
//
// The state changes in one place, which sets the tray icon and tells the
// observer; isConnecting and isConnected are read from it.
//
// While NetworkManager is on the bus and our profile is known, its word
// decides: an attempt ends at its verdict, with its reason, and the tunnel is
// the one it names. Otherwise the detection tick decides alone ("ppp0").
//
// A tunnel that drops by itself is brought back: up to three tries, each
// after its wait, none while the machine sleeps or NetworkManager has no
// network to carry it; the ways out end a reconnect as they end an attempt.
class ConnectionSession final : public NetworkManagerListener, public SleepListener {
  public:
    explicit ConnectionSession(AppContext& context);
    ~ConnectionSession() override;
    ConnectionSession(const ConnectionSession&) = delete;
    ConnectionSession& operator=(const ConnectionSession&) = delete;

    ConnectionState state() const { return state_; }
    // An attempt is under way: from the connect request until the tunnel is
    // seen or the attempt ends.
    bool isConnecting() const;
    bool isConnected() const { return state_ == ConnectionState::connected; }
    // Why the last attempt or connection ended, in words; "" while there is
    // nothing to say. Kept until the next attempt starts or the user signs out.
    const std::string& reason() const { return reason_; }

    // The screen that shows the connection, held weakly; it hears every change
    // from now on. A screen that leaves the window stops observing.
    void observe(std::weak_ptr<ConnectionObserver> observer);
    void stopObserving(const ConnectionObserver& observer);

    // Ways in. `executableVPNPath` is the tool that creates the service.
    void waitForAdministrator(const std::string& executableVPNPath);
    void beginConnecting(const std::string& executableVPNPath);

    // Ways out.
    void disconnect();       // the button, while connected: looks up the address first
    void forceDisconnect();  // at any time: always sends the disconnect command
    void cancelWaitForAdministrator();
    void signOut();
    void quit();  // the disconnect command is bounded, so quitting is

    void activeConnectionChanged(const ActiveConnectionReport& report) override;
    void networkStateChanged(int state) override;
    void preparingForSleep(bool sleeping) override;

  private:
    void enter(ConnectionState state);
    void goOnOnceRegistered();
    void provision();
    void findOurProfile();
    void startConnectDelay();
    void connectVpnService();
    void disconnectVpnService();
    void startDetection();
    void lookForTunnel();
    bool networkManagerDecides() const;
    bool tunnelStillThere();
    void showConnected(std::string tunnel);
    void tunnelGone();
    void dropped(std::optional<int> reason);
    void showTunnelDropped(const std::string& why);
    void waitForTry();
    void tryAgain();
    bool networkCarries() const;
    void endAtVerdict(int reason);
    void giveUpConnecting();
    void attemptFailed(const std::string& why);
    bool endAttempt();
    void stopTimers();
    void post(const char* title, const std::string& body);
    void tellTunnelChanged();

    AppContext& ctx_;
    ConnectionState state_ = ConnectionState::disconnected;
    std::weak_ptr<ConnectionObserver> observer_;
    std::string executableVPNPath_;
    std::string reason_;
    OurActiveConnection ours_;
    // The interface the tick watches while connected: NetworkManager's
    // tunnel, "ppp0" when the tick saw it, "" when nothing is to be watched.
    std::string watchedTunnel_;

    std::shared_ptr<Timer> registerTimer = Timer::unscheduled();
    std::shared_ptr<Timer> connectDelayTimer = Timer::unscheduled();
    std::shared_ptr<Timer> detectionTimer = Timer::unscheduled();
    std::shared_ptr<Timer> reasonWaitTimer = Timer::unscheduled();
    std::shared_ptr<Timer> retryTimer = Timer::unscheduled();
    int ticksSinceConnectCommand_ = 0;
    bool watching_ = false;  // the watches of NetworkManager and sleep report here
    // The reconnect: on, its tries so far, and whether a try that fell due
    // waits for the network or the wake.
    bool reconnecting_ = false;
    int tries_ = 0;
    bool tryWaiting_ = false;
    bool asleep_ = false;
    std::string provisionedServer_;  // the server the profile was made for
    StepGuard steps_;                // what is on its way belongs to the step that asked
};

}  // namespace twl
