#include "vpn/connection_session.h"

#include <chrono>
#include <utility>

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/network_manager_watch.h"
#include "platform/run_loop.h"
#include "platform/script_interpreter.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "vpn/connection_notifications.h"
#include "vpn/detection_step.h"
#include "vpn/network_manager_verdict.h"
#include "vpn/public_ip.h"
#include "vpn/tunnel_detection.h"
#include "vpn/vpn_service.h"

namespace twl {
namespace {

constexpr double registerInterval = 0.1;
// From the end of provisioning to the connect command: what the one-second
// countdown used to take (a tick to zero, then one to finish).
constexpr double connectDelaySeconds = 2.0;
// How long quitting waits for the disconnect command.
constexpr std::chrono::seconds quitDisconnectBound{5};

constexpr const char* notificationTitle = "Tidewater Link";
constexpr const char* connectedNotificationTitle = "Duskway";
constexpr const char* registerLine = "-- register user timer --";
constexpr const char* serviceName = "Tidewaterlink";

}  // namespace

ConnectionSession::ConnectionSession(AppContext& context) : ctx_(context) {}

ConnectionSession::~ConnectionSession() {
    // The timers and the watch call back into this session.
    stopTimers();
    if (watching_) {
        ctx_.networkManager().stop();
    }
}

bool ConnectionSession::isConnecting() const {
    return state_ == ConnectionState::waitingForAdministrator ||
           state_ == ConnectionState::provisioning || state_ == ConnectionState::connecting;
}

void ConnectionSession::observe(std::weak_ptr<ConnectionObserver> observer) {
    observer_ = std::move(observer);
}

void ConnectionSession::stopObserving(const ConnectionObserver& observer) {
    if (observer_.lock().get() == &observer) {
        observer_.reset();
    }
}

void ConnectionSession::enter(ConnectionState state) {
    state_ = state;
    ctx_.statusBarButton->setImage(looksOf(state).icon);
    if (auto shown = observer_.lock()) {
        shown->connectionStateChanged(state);
    }
}

void ConnectionSession::waitForAdministrator(const std::string& executableVPNPath) {
    executableVPNPath_ = executableVPNPath;
    reason_.clear();
    enter(ConnectionState::waitingForAdministrator);
    registerTimer->invalidate();
    registerTimer =
        ctx_.runLoop().scheduleRepeating(registerInterval, [this] { startRegisterTimer(); });
}

void ConnectionSession::startRegisterTimer() {
    if (!ctx_.isUserRegistered) {
        return;
    }
    ctx_.console().writeLine(registerLine);
    registerTimer->invalidate();
    beginConnecting(executableVPNPath_);
}

void ConnectionSession::beginConnecting(const std::string& executableVPNPath) {
    reason_.clear();
    enter(ConnectionState::provisioning);
    post(notificationTitle, "Connecting...");
    ctx_.networkManager().start(*this);
    watching_ = true;
    ours_.setProfile("");  // provisioning replaces it
    createVpnService(ctx_, executableVPNPath, whileSameStep([this] {
                         if (state_ == ConnectionState::provisioning) {
                             findOurProfile();
                             startConnectDelay();
                         }
                     }));
}

// The tool has made a new profile; its uuid is the tool's to know.
void ConnectionSession::findOurProfile() {
    ctx_.networkManager().findProfile(
        serviceName,
        whileSameStep([this](const std::string& profile) { ours_.setProfile(profile); }));
}

// Its own timer: no other screen's countdown can replace it.
void ConnectionSession::startConnectDelay() {
    connectDelayTimer->invalidate();
    connectDelayTimer = ctx_.runLoop().scheduleRepeating(connectDelaySeconds, [this] {
        connectDelayTimer->invalidate();
        connectVpnService();
    });
}

void ConnectionSession::connectVpnService() {
    ours_.connectCommandSent();
    runScript(ctx_.interpreter(), plainScript(commands::connectService()));
    enter(ConnectionState::connecting);
    startDetection();
}

void ConnectionSession::disconnectVpnService() {
    runScript(ctx_.interpreter(), plainScript(commands::disconnectService()));
}

void ConnectionSession::startDetection() {
    detectionTimer->invalidate();
    ticksSinceConnectCommand_ = 0;
    detectionTimer = ctx_.runLoop().scheduleRepeating(detectionInterval, [this] { detectTimer(); });
}

void ConnectionSession::detectTimer() {
    ++ticksSinceConnectCommand_;
    const bool watching = state_ == ConnectionState::connected;
    // While NetworkManager decides, a "ppp0" may be anyone's: only its word
    // shows Connected.
    const bool tunnelUp =
        watching ? tunnelStillThere() : !networkManagerDecides() && isVpnTunnelUp(ctx_);
    const DetectionTick tick{.watching = watching,
                             .tunnelUp = tunnelUp,
                             .ticksSinceConnectCommand = ticksSinceConnectCommand_};
    switch (nextDetectionStep(tick)) {
        case DetectionStep::keepWaiting:
        case DetectionStep::keepWatching:
            return;
        case DetectionStep::tunnelSeen:
            showConnected(std::string(tunnelInterfaceName));
            return;
        case DetectionStep::giveUp:
            giveUpConnecting();
            return;
        case DetectionStep::tunnelDropped:
            showTunnelDropped("");
            return;
    }
}

bool ConnectionSession::networkManagerDecides() const {
    return ours_.knowsProfile() && ctx_.networkManager().onBus();
}

bool ConnectionSession::tunnelStillThere() {
    return watchedTunnel_.empty() || isInterfaceListed(ctx_, watchedTunnel_);
}

void ConnectionSession::activeConnectionChanged(const ActiveConnectionReport& report) {
    if (!ours_.isOurs(report)) {
        return;
    }
    switch (verdictOf(report)) {
        case Verdict::none:
            return;
        case Verdict::tunnelUp:
            if (state_ == ConnectionState::connecting) {
                showConnected(report.tunnel);
            }
            return;
        case Verdict::ended:
            if (state_ == ConnectionState::connecting) {
                endAtVerdict(report.reason);
            } else if (state_ == ConnectionState::connected) {
                showTunnelDropped(reasonSentence(report.reason));
            }
            return;
    }
}

void ConnectionSession::showConnected(std::string tunnel) {
    watchedTunnel_ = std::move(tunnel);
    enter(ConnectionState::connected);
    tellTunnelChanged();
    post(connectedNotificationTitle, "Connected");
    // The timer keeps running: from now on it watches that the tunnel stays.
}

// The system has already taken the tunnel down: no command. `why` is ""
// when only the tick saw it go.
void ConnectionSession::showTunnelDropped(const std::string& why) {
    stopTimers();
    reason_ = why;
    enter(ConnectionState::disconnected);
    tellTunnelChanged();
    post(notificationTitle, why.empty() ? "Disconnected" : why);
}

// NetworkManager has given up on the attempt and taken it down itself: no
// connect command follows and none to disconnect goes out.
void ConnectionSession::endAtVerdict(int reason) {
    stopTimers();
    reason_ = reasonSentence(reason);
    enter(ConnectionState::disconnected);
    post(notificationTitle, reason_);
}

void ConnectionSession::giveUpConnecting() {
    stopTimers();
    reason_ = noTunnelSentence;
    enter(ConnectionState::disconnected);
    disconnectVpnService();  // the system may still be trying
    post(notificationTitle, reason_);
}

// The address shown afterwards is the one the tunnel gave, so it is looked up
// before the tunnel goes.
void ConnectionSession::disconnect() {
    if (state_ != ConnectionState::connected) {
        return;
    }
    stopTimers();
    enter(ConnectionState::disconnecting);
    lookUpPublicIp(ctx_, whileSameStep([this](const std::string& address) {
                       if (auto shown = observer_.lock()) {
                           shown->publicIpFound(address);
                       }
                       enter(ConnectionState::disconnected);
                       post(notificationTitle, "Disconnected");
                       disconnectVpnService();
                   }));
}

void ConnectionSession::forceDisconnect() {
    stopTimers();
    enter(ConnectionState::disconnected);
    disconnectVpnService();
}

void ConnectionSession::cancelWaitForAdministrator() {
    if (state_ != ConnectionState::waitingForAdministrator) {
        return;
    }
    registerTimer->invalidate();
    enter(ConnectionState::disconnected);
}

void ConnectionSession::signOut() {
    reason_.clear();
    if (endAttempt()) {
        disconnectVpnService();
    }
}

// The run loop turns no more: the command under way is stopped and the
// disconnect runs here, within its bound.
void ConnectionSession::quit() {
    const bool serviceMayBeUp = endAttempt();
    ScriptInterpreter& interpreter = ctx_.interpreter();
    // A command still on its way may be the disconnect itself.
    if (serviceMayBeUp || interpreter.busy()) {
        (void)interpreter.executeWhileQuitting(plainScript(commands::disconnectService()),
                                               ScriptOptions{.timeLimit = quitDisconnectBound});
    }
}

// No connect command follows. True when a connect command has gone out, so
// that the service may be up or coming up and is to be taken down.
bool ConnectionSession::endAttempt() {
    if (state_ == ConnectionState::disconnected) {
        return false;
    }
    const bool serviceMayBeUp = state_ == ConnectionState::connecting ||
                                state_ == ConnectionState::connected ||
                                state_ == ConnectionState::disconnecting;
    stopTimers();
    enter(ConnectionState::disconnected);
    return serviceMayBeUp;
}

void ConnectionSession::stopTimers() {
    ++step_;  // what is on its way belongs to a step that is over
    ours_.forget();
    registerTimer->invalidate();
    connectDelayTimer->invalidate();
    detectionTimer->invalidate();
}

void ConnectionSession::post(const char* title, const std::string& body) {
    postConnectionNotification(ctx_, title, body);
}

void ConnectionSession::tellTunnelChanged() {
    if (auto shown = observer_.lock()) {
        shown->tunnelChanged();
    }
}

}  // namespace twl
