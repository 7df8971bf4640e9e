#include "vpn/connection_session.h"

#include <array>
#include <chrono>
#include <utility>

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/network_manager_watch.h"
#include "platform/run_loop.h"
#include "platform/script_interpreter.h"
#include "platform/sleep_watch.h"
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
// The waits before the tries of a reconnect, each from the end of the one before.
constexpr std::array<double, 3> reconnectWaits{2.0, 10.0, 30.0};
// How long a tunnel that the tick saw go waits for NetworkManager's reason.
constexpr double reasonWaitSeconds = 2.0;

}  // namespace

ConnectionSession::ConnectionSession(AppContext& context) : ctx_(context) {}

ConnectionSession::~ConnectionSession() {
    // The timers and the watch call back into this session.
    stopTimers();
    if (watching_) {
        ctx_.networkManager().stop();
        ctx_.sleep().stop();
    }
}

bool ConnectionSession::isConnecting() const {
    return state_ == ConnectionState::waitingForAdministrator ||
           state_ == ConnectionState::provisioning || state_ == ConnectionState::connecting ||
           state_ == ConnectionState::waitingToReconnect;
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
    if (state == ConnectionState::connected || state == ConnectionState::disconnected) {
        reconnecting_ = false;
        tries_ = 0;
        tryWaiting_ = false;
    }
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
        ctx_.runLoop().scheduleRepeating(registerInterval, [this] { goOnOnceRegistered(); });
}

void ConnectionSession::goOnOnceRegistered() {
    if (!ctx_.isUserRegistered) {
        return;
    }
    ctx_.console().writeLine(registerLine);
    registerTimer->invalidate();
    beginConnecting(executableVPNPath_);
}

void ConnectionSession::beginConnecting(const std::string& executableVPNPath) {
    executableVPNPath_ = executableVPNPath;
    reason_.clear();
    enter(ConnectionState::provisioning);
    post(notificationTitle, "Connecting...");
    provision();
}

void ConnectionSession::provision() {
    if (!watching_) {
        ctx_.networkManager().start(*this);
        ctx_.sleep().start(*this);
        watching_ = true;
    }
    ours_.setProfile("");  // provisioning replaces it
    provisionedServer_ = ctx_.serverUrl;
    createVpnService(ctx_, executableVPNPath_, steps_.guard([this] {
        if (state_ == ConnectionState::provisioning) {
            findOurProfile();
            startConnectDelay();
        }
    }));
}

// The tool has made a new profile; its uuid is the tool's to know.
void ConnectionSession::findOurProfile() {
    ctx_.networkManager().findProfile(serviceName, steps_.guard([this](const std::string& profile) {
        ours_.setProfile(profile);
    }));
}

// Its own timer: no other screen's countdown can replace it.
void ConnectionSession::startConnectDelay() {
    connectDelayTimer->invalidate();
    connectDelayTimer = ctx_.runLoop().delay(connectDelaySeconds, [this] { connectVpnService(); });
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
    detectionTimer =
        ctx_.runLoop().scheduleRepeating(detectionInterval, [this] { lookForTunnel(); });
}

void ConnectionSession::lookForTunnel() {
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
            return;
        case DetectionStep::keepWatching:
            reasonWaitTimer->invalidate();  // it came back
            return;
        case DetectionStep::tunnelSeen:
            showConnected(std::string(tunnelInterfaceName));
            return;
        case DetectionStep::giveUp:
            giveUpConnecting();
            return;
        case DetectionStep::tunnelDropped:
            tunnelGone();
            return;
    }
}

// NetworkManager, while it decides, soon says why; without it the tick
// decides alone. When it says nothing, it still holds the connection, and
// would not start it again: it is taken down first.
void ConnectionSession::tunnelGone() {
    if (!networkManagerDecides()) {
        dropped(std::nullopt);
    } else if (!reasonWaitTimer->isValid()) {
        reasonWaitTimer = ctx_.runLoop().delay(reasonWaitSeconds, [this] {
            disconnectVpnService();
            dropped(std::nullopt);
        });
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
                dropped(report.reason);
            }
            return;
    }
}

void ConnectionSession::networkStateChanged(int /*state*/) {
    if (tryWaiting_ && networkCarries()) {
        tryAgain();
    }
}

// After a wake the tunnel is looked at once: the machine may have slept
// through its end.
void ConnectionSession::preparingForSleep(bool sleeping) {
    asleep_ = sleeping;
    if (sleeping) {
        return;
    }
    if (state_ == ConnectionState::connected && !tunnelStillThere()) {
        tunnelGone();
    } else if (tryWaiting_) {
        tryAgain();
    }
}

void ConnectionSession::showConnected(std::string tunnel) {
    watchedTunnel_ = std::move(tunnel);
    reason_.clear();
    enter(ConnectionState::connected);
    tellTunnelChanged();
    post(connectedNotificationTitle, "Connected");
    // The timer keeps running: from now on it watches that the tunnel stays.
}

// The tunnel went without the user: unless its reason says a second try
// would do no good, the session reconnects. No reason: only the tick saw it.
void ConnectionSession::dropped(std::optional<int> reason) {
    const std::string why = reason ? reasonSentence(*reason) : "";
    if (reason && !isRetried(*reason)) {
        showTunnelDropped(why);
        return;
    }
    stopTimers();
    reason_ = why;
    reconnecting_ = true;
    tellTunnelChanged();
    post(notificationTitle, why.empty() ? "Reconnecting..." : "Reconnecting... " + why);
    waitForTry();
}

void ConnectionSession::waitForTry() {
    enter(ConnectionState::waitingToReconnect);
    retryTimer->invalidate();
    retryTimer = ctx_.runLoop().delay(reconnectWaits.at(tries_), [this] { tryAgain(); });
}

// A try that waits for the network or the wake does not count.
void ConnectionSession::tryAgain() {
    tryWaiting_ = asleep_ || !networkCarries();
    if (tryWaiting_) {
        return;
    }
    ++tries_;
    if (ctx_.serverUrl != provisionedServer_) {
        enter(ConnectionState::provisioning);
        provision();
    } else {
        connectVpnService();
    }
}

bool ConnectionSession::networkCarries() const {
    const NetworkManagerWatch& networkManager = ctx_.networkManager();
    return !networkManager.onBus() || networkManager.networkState() >= nm::connectedSite;
}

// The system has already taken the tunnel down: no command.
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
    attemptFailed(reasonSentence(reason));
}

void ConnectionSession::giveUpConnecting() {
    stopTimers();
    disconnectVpnService();  // the system may still be trying
    attemptFailed(noTunnelSentence);
}

// A reconnect's try that fails leads to the next, until the last.
void ConnectionSession::attemptFailed(const std::string& why) {
    reason_ = why;
    if (reconnecting_ && static_cast<std::size_t>(tries_) < reconnectWaits.size()) {
        waitForTry();
        return;
    }
    enter(ConnectionState::disconnected);
    post(notificationTitle, why);
}

// The address shown afterwards is the one the tunnel gave, so it is looked up
// before the tunnel goes.
void ConnectionSession::disconnect() {
    if (state_ != ConnectionState::connected) {
        return;
    }
    stopTimers();
    enter(ConnectionState::disconnecting);
    lookUpPublicIp(ctx_, steps_.guard([this](const std::string& address) {
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
    steps_.next();
    ours_.forget();
    registerTimer->invalidate();
    connectDelayTimer->invalidate();
    detectionTimer->invalidate();
    reasonWaitTimer->invalidate();
    retryTimer->invalidate();
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
