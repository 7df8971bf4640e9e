#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/timer.h"
#include "vpn/connection_observer.h"
#include "vpn/connection_state.h"

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
class ConnectionSession {
  public:
    explicit ConnectionSession(AppContext& context);
    ~ConnectionSession();
    ConnectionSession(const ConnectionSession&) = delete;
    ConnectionSession& operator=(const ConnectionSession&) = delete;

    ConnectionState state() const { return state_; }
    // An attempt is under way: from the connect request until the tunnel is
    // seen or the attempt ends.
    bool isConnecting() const;
    bool isConnected() const { return state_ == ConnectionState::connected; }

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

  private:
    void enter(ConnectionState state);
    void startRegisterTimer();
    void startConnectDelay();
    void connectVpnService();
    void disconnectVpnService();
    void startDetection();
    void detectTimer();
    void showConnected();
    void showTunnelDropped();
    void giveUpConnecting();
    bool endAttempt();
    void stopTimers();
    void post(const char* title, const char* body);
    void tellTunnelChanged();

    // Wraps an answer (a command's end, a look-up's reply) so that it is
    // dropped when the step that asked for it is over by the time it comes.
    template <typename Step>
    auto whileSameStep(Step step) {
        return [this, asked = step_, step = std::move(step)](const auto&... answer) {
            if (asked == step_) {
                step(answer...);
            }
        };
    }

    AppContext& ctx_;
    ConnectionState state_ = ConnectionState::disconnected;
    std::weak_ptr<ConnectionObserver> observer_;
    std::string executableVPNPath_;

    std::shared_ptr<Timer> registerTimer = Timer::unscheduled();
    std::shared_ptr<Timer> connectDelayTimer = Timer::unscheduled();
    std::shared_ptr<Timer> detectionTimer = Timer::unscheduled();
    int ticksSinceConnectCommand_ = 0;
    unsigned step_ = 0;
};

}  // namespace twl
